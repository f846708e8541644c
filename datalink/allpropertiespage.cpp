#include "datalink/allpropertiespage.h"

#include "datalink/datalinkdraft.h"
#include "datalink/propertyeditor.h"
#include "oledb/connectionstring.h"
#include "oledb/propertynames.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace datalink {

using namespace oledb::property;

AllPropertiesPage::AllPropertiesPage(DataLinkDraft &draft, QWidget *parent)
    : QWidget(parent)
    , m_draft(draft)
    , m_scroll(new QScrollArea(this))
    , m_newName(new QLineEdit(this))
    , m_newValue(new QLineEdit(this))
    , m_addMessage(new QLabel(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *intro = new QLabel(tr("Values in bold are in the connection string; the others take "
                                "the provider's default, shown greyed."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    m_scroll->setObjectName(QStringLiteral("allPropertiesScroll"));
    m_scroll->setWidgetResizable(true);
    layout->addWidget(m_scroll, 1);

    auto *addRow = new QHBoxLayout;
    m_newName->setObjectName(QStringLiteral("newPropertyNameEdit"));
    m_newName->setPlaceholderText(tr("Name"));
    m_newValue->setObjectName(QStringLiteral("newPropertyValueEdit"));
    m_newValue->setPlaceholderText(tr("Value"));
    auto *addButton = new QPushButton(tr("&Add"), this);
    addButton->setObjectName(QStringLiteral("addPropertyButton"));
    addButton->setAutoDefault(false);
    addRow->addWidget(new QLabel(tr("New property:"), this));
    addRow->addWidget(m_newName, 1);
    addRow->addWidget(m_newValue, 2);
    addRow->addWidget(addButton);
    layout->addLayout(addRow);
    m_addMessage->setObjectName(QStringLiteral("addPropertyMessage"));
    m_addMessage->setWordWrap(true);
    m_addMessage->hide();
    layout->addWidget(m_addMessage);

    connect(addButton, &QPushButton::clicked, this, &AllPropertiesPage::addProperty);
    rebuildRows();
}

QStringList AllPropertiesPage::customNames() const
{
    QStringList names;
    for (const oledb::KeywordValue &pair : m_draft.properties()) {
        if (!m_draft.definition(pair.keyword))
            names.append(pair.keyword);
    }
    return names;
}

void AllPropertiesPage::refresh()
{
    const QString shape = m_draft.providerProgId() + u'\n' + customNames().join(u'\n');
    if (shape != m_builtFor)
        rebuildRows();
    for (const Row &row : std::as_const(m_rows)) {
        const std::optional<QString> value = m_draft.value(row.name);
        row.editor->showValue(value);
        row.editor->markProblem(m_draft.problemWith(row.name));
        QFont font = row.label->font();
        font.setBold(value.has_value());
        row.label->setFont(font);
        row.action->setEnabled(value.has_value());
    }
}

PropertyEditor *AllPropertiesPage::editorFor(QStringView name) const
{
    for (const Row &row : m_rows) {
        if (oledb::sameKeyword(row.name, name))
            return row.editor;
    }
    return nullptr;
}

void AllPropertiesPage::rebuildRows()
{
    m_rows.clear();
    // The old rows may be in the middle of emitting the signal that brought us here.
    if (QWidget *old = m_scroll->takeWidget())
        old->deleteLater();
    auto *rows = new QWidget;
    auto *grid = new QGridLayout(rows);
    grid->setColumnStretch(1, 1);
    int row = 0;
    for (const oledb::PropertyDefinition &definition : m_draft.provider().properties)
        addRow(grid, row++, definition.name, false);
    const QStringList custom = customNames();
    for (const QString &name : custom)
        addRow(grid, row++, name, true);
    grid->setRowStretch(row, 1);
    m_scroll->setWidget(rows);
    m_builtFor = m_draft.providerProgId() + u'\n' + custom.join(u'\n');
}

void AllPropertiesPage::addRow(QGridLayout *grid, int row, const QString &name, bool custom)
{
    QWidget *parent = grid->parentWidget();
    auto *label = new QLabel(name, parent);
    auto *editor = new PropertyEditor(m_draft.definition(name), m_draft.isSecret(name), parent);
    editor->setObjectName(QStringLiteral("value:") + name);
    label->setBuddy(editor);
    auto *action = new QToolButton(parent);
    if (custom) {
        action->setObjectName(QStringLiteral("remove:") + name);
        action->setIcon(style()->standardIcon(QStyle::SP_DialogDiscardButton));
        action->setToolTip(tr("Remove %1 from the connection string").arg(name));
    } else {
        action->setObjectName(QStringLiteral("reset:") + name);
        action->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
        action->setToolTip(tr("Reset %1 to the provider's default").arg(name));
    }
    action->setAutoRaise(true);
    grid->addWidget(label, row, 0, Qt::AlignTop | Qt::AlignLeft);
    grid->addWidget(editor, row, 1);
    grid->addWidget(action, row, 2, Qt::AlignTop);

    connect(editor, &PropertyEditor::edited, this,
            [this, name](const QString &value) { m_draft.setValue(name, value); });
    // Emptying a custom value keeps the property, empty; only its button removes it.
    connect(editor, &PropertyEditor::cleared, this, [this, name, custom] {
        if (custom)
            m_draft.setValue(name, QString());
        else
            m_draft.remove(name);
    });
    connect(action, &QToolButton::clicked, this, [this, name] { m_draft.remove(name); });
    m_rows.append({name, label, editor, action});
}

void AllPropertiesPage::addProperty()
{
    const QString name = m_newName->text().trimmed();
    QString problem;
    if (name.isEmpty())
        problem = tr("Enter the name of the property to add.");
    else if (oledb::sameKeyword(name, Provider))
        problem = tr("Choose the provider on the Provider tab.");
    else if (!oledb::ConnectionString::isWritableKeyword(name))
        problem = tr("A property name cannot contain ; or control characters.");
    m_addMessage->setText(problem);
    m_addMessage->setVisible(!problem.isEmpty());
    if (!problem.isEmpty())
        return;
    m_draft.setValue(name, m_newValue->text());
    m_newName->clear();
    m_newValue->clear();
    if (PropertyEditor *editor = editorFor(name))
        editor->setFocus();
}

} // namespace datalink
