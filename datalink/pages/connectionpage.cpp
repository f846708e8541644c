#include "datalink/pages/connectionpage.h"

#include "datalink/pages/genericpage.h"
#include "datalink/pages/jetpage.h"
#include "datalink/pages/odbcpage.h"
#include "datalink/pages/sqlserverpage.h"
#include "datalink/widgets/lookupfield.h"
#include "drivers/discovery/databaselister.h"
#include "drivers/discovery/odbcdatasources.h"
#include "drivers/discovery/searchplan.h"
#include "drivers/discovery/serverbrowser.h"
#include "oledb/datalinkdraft.h"
#include "oledb/propertynames.h"
#include "oledb/secrets.h"

#include <QBoxLayout>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace datalink {

ConnectionPage::ConnectionPage(DataLinkDraft &draft, QWidget *parent)
    : QWidget(parent)
    , m_draft(draft)
{ }

void ConnectionPage::refresh()
{
    for (const auto &[edit, property] : std::as_const(m_boundEdits))
        showText(edit, property, m_draft.value(property).value_or(QString()));
}

void ConnectionPage::showText(QLineEdit *edit, const QString &property, const QString &text)
{
    // A value with a password nested in it (an ODBC string's PWD) stays editable, typed blind
    // as a password is, until the user asks to see passwords. The text is looked at too: the
    // ODBC page shows there the driver's keywords from the top level of the string.
    const bool hidden = m_draft.hidesValue(property)
        || (!m_draft.revealsSecrets()
            && oledb::maskValue(property, text, m_draft.catalogue()) != text);
    edit->setEchoMode(hidden ? QLineEdit::Password : QLineEdit::Normal);
    edit->setToolTip(hidden && !m_draft.isSecret(property)
                         ? tr("Holds a password, so it is hidden. Tick Show password to see it.")
                         : QString());
    if (edit->text() != text)
        edit->setText(text);
}

QLineEdit *ConnectionPage::addBoundLineEdit(const QString &objectName, const QString &property)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(objectName);
    if (const oledb::PropertyDefinition *definition = m_draft.definition(property))
        edit->setPlaceholderText(definition->defaultValue);
    connect(edit, &QLineEdit::textEdited, this, [this, property](const QString &text) {
        if (text.isEmpty())
            m_draft.remove(property);
        else
            m_draft.setValue(property, text);
    });
    m_boundEdits.append({edit, property});
    return edit;
}

void ConnectionPage::addInitialCatalogGroup(QBoxLayout *layout)
{
    auto *catalog = new QGroupBox(tr("3. Initial catalog"), this);
    auto *catalogForm = new QFormLayout(catalog);
    addLookupRow(
        catalogForm, tr("Initial c&atalog:"),
        addDatabaseField(QStringLiteral("initialCatalogEdit"), oledb::property::InitialCatalog));
    layout->addWidget(catalog);
}

void ConnectionPage::addLookupRow(QFormLayout *form, const QString &label, LookupField *field)
{
    auto *caption = new QLabel(label);
    caption->setBuddy(field->comboBox());
    form->addRow(caption, field->layout());
}

LookupField *ConnectionPage::addDatabaseField(const QString &objectName, const QString &property)
{
    auto planner = [this, property](bool) -> std::optional<LookupField::Search> {
        const auto lister = m_discovery.databases;
        if (!lister)
            return std::nullopt;
        const QString connectionString = m_draft.connectionStringWithSecrets();
        const drivers::DatabaseSearchPlan plan
            = drivers::planDatabaseSearch(connectionString, property);
        // The catalogue lives as long as the program: a search still blocked in a driver may
        // outlive the dialog.
        const oledb::ProviderCatalogue *catalogue = &m_draft.catalogue();
        return LookupField::Search {
            plan.key,
            [lister, catalogue, connectionString](const std::atomic<bool> &cancelled) {
                return drivers::listDatabases(*lister, *catalogue, connectionString, cancelled);
            },
            plan.timeLimit, tr("Logging on to list the databases...")};
    };
    auto *field = new LookupField(m_draft, addBoundLineEdit(objectName, property), property,
                                  std::move(planner), tr("Re&fresh"), this);
    field->setObjectName(objectName + QStringLiteral("Field"));
    field->refreshButton()->setObjectName(QStringLiteral("refreshDatabasesButton"));
    field->refreshButton()->setToolTip(tr("Log on and list the databases"));
    field->setRefreshNames(tr("List the databases"), tr("Stop listing the databases"));
    field->statusLabel()->setObjectName(QStringLiteral("databaseListStatus"));
    return field;
}

LookupField *ConnectionPage::addServerField(const QString &objectName, const QString &property)
{
    auto planner = [this, property](bool refresh) -> std::optional<LookupField::Search> {
        const auto browser = m_discovery.servers;
        if (!browser)
            return std::nullopt;
        const auto plan = drivers::planServerSearch(m_draft.value(property).value_or(QString()),
                                                    refresh, browser->timeLimit());
        if (!plan)
            return std::nullopt;
        return LookupField::Search {
            // After Refresh, opening the list shows what it found for the same host.
            plan->host,
            [browser, plan = *plan](const std::atomic<bool> &cancelled) {
                return drivers::searchServers(*browser, plan, cancelled);
            },
            plan->timeLimit,
            plan->network ? tr("Searching the local networks for SQL Servers...")
                          : tr("Asking %1 for its SQL Server instances...").arg(plan->host)};
    };
    auto *field = new LookupField(m_draft, addBoundLineEdit(objectName, property), property,
                                  std::move(planner), tr("Refres&h"), this);
    field->setObjectName(objectName + QStringLiteral("Field"));
    field->refreshButton()->setObjectName(QStringLiteral("refreshServersButton"));
    field->refreshButton()->setToolTip(tr("Search the local networks for SQL Server instances"));
    field->setRefreshNames(tr("Search for servers"), tr("Stop searching for servers"));
    field->statusLabel()->setObjectName(QStringLiteral("serverListStatus"));
    return field;
}

ConnectionPage *makeConnectionPage(DataLinkDraft &draft, drivers::IOdbcDataSources &dataSources,
                                   const FileChooser &chooseFile, QWidget *parent)
{
    ConnectionPage *page = nullptr;
    switch (draft.provider().family) {
    case oledb::ProviderFamily::SqlServer:
        page = new SqlServerPage(draft, chooseFile, parent);
        break;
    case oledb::ProviderFamily::Jet:
    case oledb::ProviderFamily::Ace:
        page = new JetPage(draft, chooseFile, parent);
        break;
    case oledb::ProviderFamily::Odbc:
        page = new OdbcPage(draft, dataSources, parent);
        break;
    case oledb::ProviderFamily::Oracle:
    case oledb::ProviderFamily::Other:
        page = new GenericPage(draft, parent);
        break;
    }
    page->refresh();
    return page;
}

} // namespace datalink
