#pragma once

#include "datalink/pages/connectionpage.h"

class QComboBox;
class QPushButton;
class QRadioButton;

namespace drivers {
class IOdbcDataSources;
}

namespace datalink {

class LogOnFields;

// A configured data source by name, or a whole ODBC connection string, typed or built from a
// driver's keywords; then the log-on and the initial catalog.
class OdbcPage final : public ConnectionPage
{
    Q_OBJECT

public:
    OdbcPage(DataLinkDraft &draft, drivers::IOdbcDataSources &dataSources,
             QWidget *parent = nullptr);

    void refresh() override;

private:
    void reloadDataSources();
    // Says where the data source the field names comes from, as its entry in the list does.
    void describeDataSource();
    void openBuilder();
    void useConnectionString(bool use);
    // The ODBC string goes where the string keeps it: in Extended Properties, or, where its
    // keywords stand at the top level of the string, each pair in its place there.
    void editConnectionString(const QString &text);

    drivers::IOdbcDataSources &m_dataSources;
    QRadioButton *m_byName;
    QRadioButton *m_byString;
    QComboBox *m_dataSourceName;
    QLineEdit *m_connectionString;
    QPushButton *m_build;
    LogOnFields *m_logOn;
    // Chosen but not typed yet: nothing in the draft says so.
    bool m_stringChosen = false;
    // The page is putting the draft's name in the field, which is no edit of the user's.
    bool m_showing = false;
    // The ODBC string stands at the top level of the string, and stays there while the user
    // edits it, even through an empty field.
    bool m_pairsAtTopLevel = false;
    // The user is typing top-level pairs: the field keeps the text as typed meanwhile.
    bool m_typingPairs = false;
};

} // namespace datalink
