#pragma once

#include "datalink/discovery.h"
#include "datalink/pages/connectionpage.h"

#include <QDialog>
#include <QSize>

#include <functional>

class QCheckBox;
class QLabel;
class QScrollArea;
class QTabWidget;
class QVBoxLayout;

namespace oledb {
class DataLinkProperties;
class ProviderCatalogue;
} // namespace oledb

namespace drivers {
class IOdbcDataSources;
}

namespace datalink {

class AdvancedPage;
class AllPropertiesPage;
class DataLinkDraft;
class LiveStringView;
class ProblemList;
class ProviderPage;

// The dialog's size for the rest of the run, once it has one: the size it first opened at, or
// the size the user last gave it. The program owns one and hands it to every dialog it opens.
struct KeptDialogSize
{
    QSize size;
};

// Tries a connection string out; the dialog it is called from is the parent for anything it shows.
using ConnectionTester = std::function<void(const QString &connectionString, QWidget *dialog)>;

// The Data Link Properties dialog: provider, connection, advanced and all-properties tabs over
// one draft, with the resulting string always in view.
class DataLinkDialog final : public QDialog
{
    Q_OBJECT

public:
    enum Tab { ProviderTab, ConnectionTab, AdvancedTab, AllTab };

    // Without a kept size the dialog opens at the size it would open at first.
    DataLinkDialog(const oledb::ProviderCatalogue &catalogue,
                   const oledb::DataLinkProperties &properties,
                   drivers::IOdbcDataSources &dataSources, QWidget *parent = nullptr,
                   KeptDialogSize *keptSize = nullptr);
    ~DataLinkDialog() override;

    DataLinkDraft &draft() { return *m_draft; }
    // What OK gives back.
    QString connectionString() const;
    void showTab(Tab tab);

    // The text the dialog was asked to edit could not be read: says why at the top, and that OK
    // replaces it while Cancel keeps it.
    void explainUnreadable(const QString &text);

    // Without a tester the Test Connection button says that testing is not available.
    void setConnectionTester(ConnectionTester tester);
    // Replaces the file dialog, for tests.
    void setFileChooser(FileChooser chooser);
    // Replaces the drivers and the network the database and server lists search, for tests.
    void setDiscovery(Discovery discovery);

    // Refused, with the reason shown, while a value is one its property does not take.
    void accept() override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QSize openingSize();
    // Invalid without a screen.
    QSize roomOnScreen() const;
    void fitProblemList();
    QWidget *buildConnectionTab();
    QWidget *buildStringPanel();
    void rebuildProviderPages();
    void refresh();
    void testConnection();

    DataLinkDraft *m_draft;
    drivers::IOdbcDataSources &m_dataSources;
    KeptDialogSize m_ownSize;
    KeptDialogSize &m_keptSize;
    ConnectionTester m_tester;
    FileChooser m_chooseFile;
    Discovery m_discovery;
    QTabWidget *m_tabs;
    ProviderPage *m_providerPage;
    QVBoxLayout *m_connectionSlot = nullptr;
    QScrollArea *m_connectionScroll = nullptr;
    ConnectionPage *m_connectionPage = nullptr;
    QVBoxLayout *m_advancedSlot = nullptr;
    AdvancedPage *m_advancedPage = nullptr;
    AllPropertiesPage *m_allPage;
    QLabel *m_testMessage = nullptr;
    LiveStringView *m_stringView = nullptr;
    QCheckBox *m_reveal = nullptr;
    QLabel *m_copyNote = nullptr;
    ProblemList *m_problemList;
    QLabel *m_problems;
    QLabel *m_notice;
    QString m_builtFor;
    // What the string view shows, so that an unchanged string is not laid out again.
    QString m_shownString;
    bool m_tabOrderStale = true;
    bool m_sized = false;
    // What the dialog grew by to show the Problems list; not part of the size it keeps.
    int m_grownBy = 0;
};

} // namespace datalink
