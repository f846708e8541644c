#include "datalink/pages/genericpage.h"

#include "datalink/widgets/logonfields.h"
#include "datalink/widgets/lookupfield.h"
#include "oledb/datalinkdraft.h"
#include "oledb/propertynames.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace datalink {

using namespace oledb::property;

GenericPage::GenericPage(DataLinkDraft &draft, QWidget *parent)
    : ConnectionPage(draft, parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    const bool oracle = draft.provider().family == oledb::ProviderFamily::Oracle;

    auto *source = new QGroupBox(tr("1. Source of data"), this);
    auto *sourceForm = new QFormLayout(source);
    if (draft.definition(DataSource)) {
        QLineEdit *dataSource = addBoundLineEdit(QStringLiteral("dataSourceEdit"), DataSource);
        if (oracle)
            dataSource->setPlaceholderText(tr("Net service name"));
        sourceForm->addRow(oracle ? tr("Ser&ver name:") : tr("&Data Source:"), dataSource);
    }
    if (draft.definition(Location)) {
        sourceForm->addRow(tr("&Location:"),
                           addBoundLineEdit(QStringLiteral("locationEdit"), Location));
    }
    layout->addWidget(source);

    if (draft.definition(UserId) || draft.definition(Password)) {
        auto *logOn = new QGroupBox(tr("2. Log on"), this);
        auto *logOnLayout = new QVBoxLayout(logOn);
        if (draft.definition(IntegratedSecurity)) {
            m_integrated = new QCheckBox(tr("Use &integrated security"), this);
            m_integrated->setObjectName(QStringLiteral("integratedSecurityCheck"));
            logOnLayout->addWidget(m_integrated);
            connect(m_integrated, &QCheckBox::clicked, this, [this](bool on) {
                if (on)
                    m_draft.setValue(IntegratedSecurity, QStringLiteral("SSPI"));
                else
                    m_draft.remove(IntegratedSecurity);
            });
        }
        m_logOn = new LogOnFields(draft, this);
        logOnLayout->addLayout(m_logOn->layout());
        layout->addWidget(logOn);
    }

    if (draft.definition(InitialCatalog))
        addInitialCatalogGroup(layout);
    layout->addStretch();
}

void GenericPage::refresh()
{
    ConnectionPage::refresh();
    const bool integrated = !m_draft.value(IntegratedSecurity).value_or(QString()).isEmpty();
    if (m_integrated)
        m_integrated->setChecked(integrated);
    if (m_logOn) {
        m_logOn->refresh();
        m_logOn->setEnabled(!integrated);
    }
}

} // namespace datalink
