#include "datalink/pages/advancedpage.h"

#include "datalink/widgets/propertyeditor.h"
#include "oledb/datalinkdraft.h"
#include "oledb/propertynames.h"

#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace datalink {

using namespace oledb::property;

namespace {

QString labelFor(const QString &property)
{
    if (property == ConnectTimeout)
        return AdvancedPage::tr("Connect &timeout (seconds):");
    if (property == Mode)
        return AdvancedPage::tr("Access &permissions:");
    if (property == ImpersonationLevel)
        return AdvancedPage::tr("&Impersonation level:");
    if (property == ProtectionLevel)
        return AdvancedPage::tr("P&rotection level:");
    return property + u':';
}

} // namespace

AdvancedPage::AdvancedPage(DataLinkDraft &draft, QWidget *parent)
    : QWidget(parent)
    , m_draft(draft)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    for (const oledb::PropertyDefinition &definition : draft.provider().properties) {
        if (definition.page != oledb::PropertyPage::Advanced)
            continue;
        auto *editor = new PropertyEditor(&definition, draft.isSecret(definition.name), this);
        editor->setObjectName(objectNameFor(definition.name) + QStringLiteral("Editor"));
        const QString name = definition.name;
        connect(editor, &PropertyEditor::edited, this,
                [this, name](const QString &value) { m_draft.setValue(name, value); });
        connect(editor, &PropertyEditor::cleared, this, [this, name] { m_draft.remove(name); });
        form->addRow(labelFor(name), editor);
        m_editors.append({name, editor});
    }
    if (m_editors.isEmpty()) {
        auto *none = new QLabel(tr("This provider has no advanced settings."), this);
        none->setObjectName(QStringLiteral("noAdvancedSettingsLabel"));
        layout->addWidget(none);
    }
    layout->addStretch();
}

void AdvancedPage::refresh()
{
    for (const auto &[name, editor] : std::as_const(m_editors)) {
        editor->showValue(m_draft.value(name), m_draft.hidesValue(name));
        editor->markProblem(m_draft.problemWith(name));
    }
}

} // namespace datalink
