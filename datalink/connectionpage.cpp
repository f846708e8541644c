#include "datalink/connectionpage.h"

#include "datalink/datalinkdraft.h"
#include "datalink/genericpage.h"
#include "datalink/jetpage.h"
#include "datalink/odbcpage.h"
#include "datalink/sqlserverpage.h"
#include "drivers/odbcdatasources.h"

#include <QLineEdit>

namespace datalink {

ConnectionPage::ConnectionPage(DataLinkDraft &draft, QWidget *parent)
    : QWidget(parent)
    , m_draft(draft)
{ }

void ConnectionPage::refresh()
{
    for (const auto &[edit, property] : std::as_const(m_boundEdits)) {
        const QString text = m_draft.value(property).value_or(QString());
        if (edit->text() != text)
            edit->setText(text);
    }
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
