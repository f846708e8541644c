#pragma once

#include "datalink/discovery.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>
#include <utility>

class QBoxLayout;
class QFormLayout;
class QLineEdit;

namespace drivers {
class IOdbcDataSources;
}

namespace datalink {

class DataLinkDraft;
class LookupField;

// Asks the user for a file or a folder; an empty result means the user gave up.
using FileChooser = std::function<QString(QWidget *parent, const QString &caption,
                                          const QString &filter, bool folder)>;

// The part of the Connection tab that fits the chosen provider. Pages write the draft only for
// what the user does, so a string opened and left alone comes back exactly as it went in.
class ConnectionPage : public QWidget
{
    Q_OBJECT

public:
    explicit ConnectionPage(DataLinkDraft &draft, QWidget *parent = nullptr);

    // Shows the draft's values again after a change made elsewhere.
    virtual void refresh();

    // What the lists of databases and servers search with; read when the user asks.
    void setDiscovery(Discovery discovery) { m_discovery = std::move(discovery); }

protected:
    // Puts the text in a field that shows the property, hidden as the property's secrets are.
    void showText(QLineEdit *edit, const QString &property, const QString &text);
    // A line edit for one property: typing sets it, emptying the field takes it out.
    QLineEdit *addBoundLineEdit(const QString &objectName, const QString &property);
    // The same with the databases the server offers to the page's log-on in its list.
    LookupField *addDatabaseField(const QString &objectName, const QString &property);
    // The same with the SQL Server instances of the typed host in its list, and those of the
    // local networks after Refresh.
    LookupField *addServerField(const QString &objectName, const QString &property);
    // A row of a form for the field, its label's Alt key pointed at the field's text.
    static void addLookupRow(QFormLayout *form, const QString &label, LookupField *field);
    // The numbered group a page without a database list of its own ends with.
    void addInitialCatalogGroup(QBoxLayout *layout);

    DataLinkDraft &m_draft;

private:
    Discovery m_discovery;
    QList<std::pair<QLineEdit *, QString>> m_boundEdits;
};

ConnectionPage *makeConnectionPage(DataLinkDraft &draft, drivers::IOdbcDataSources &dataSources,
                                   const FileChooser &chooseFile, QWidget *parent);

} // namespace datalink
