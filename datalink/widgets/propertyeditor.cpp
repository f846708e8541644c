#include "datalink/widgets/propertyeditor.h"

#include "oledb/propertydefinition.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStyle>

namespace datalink {

namespace {

void showText(QLineEdit *edit, const QString &text)
{
    if (edit->text() != text)
        edit->setText(text);
}

} // namespace

PropertyEditor::PropertyEditor(const oledb::PropertyDefinition *definition, bool secret,
                               QWidget *parent)
    : QWidget(parent)
    , m_secret(secret)
{
    auto *layout = new QHBoxLayout(this);
    m_row = layout;
    layout->setContentsMargins(0, 0, 0, 0);
    const oledb::PropertyType type = definition ? definition->type : oledb::PropertyType::Text;
    if (definition)
        m_default = definition->defaultValue;

    switch (type) {
    case oledb::PropertyType::Boolean:
    case oledb::PropertyType::Enumeration: {
        m_combo = new QComboBox(this);
        // Editable, so a value outside the list can still be shown and corrected in place.
        m_combo->setEditable(true);
        m_combo->setInsertPolicy(QComboBox::NoInsert);
        // Sized for a short value: the longest choice would widen the All tab's whole column.
        m_combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        m_combo->setMinimumContentsLength(12);
        m_combo->addItems(type == oledb::PropertyType::Boolean
                              ? QStringList {QStringLiteral("True"), QStringLiteral("False")}
                              : definition->allowedValues);
        // The list that opens is not bound by the field's width: no choice is cut there.
        m_combo->view()->setMinimumWidth(m_combo->view()->sizeHintForColumn(0)
                                         + 2 * m_combo->view()->frameWidth());
        m_combo->lineEdit()->setPlaceholderText(m_default);
        // Typing, a choice from the list and the completion shown inline all end up in the
        // field's text, and what the field shows is what is written.
        connect(m_combo->lineEdit(), &QLineEdit::textChanged, this, [this](const QString &text) {
            if (!m_showing)
                emitText(text);
        });
        connect(m_combo, &QComboBox::activated, this,
                [this](int index) { emitText(m_combo->itemText(index)); });
        layout->addWidget(m_combo, 1);
        setFocusProxy(m_combo);
        break;
    }
    case oledb::PropertyType::FlagSet:
        buildFlagList(*definition);
        layout->addWidget(m_flags, 1);
        setFocusProxy(m_flags);
        break;
    case oledb::PropertyType::Integer:
    case oledb::PropertyType::Text:
        m_line = new QLineEdit(this);
        m_line->setPlaceholderText(m_default);
        if (secret)
            m_line->setEchoMode(QLineEdit::Password);
        connect(m_line, &QLineEdit::textEdited, this, &PropertyEditor::emitText);
        layout->addWidget(m_line, 1);
        setFocusProxy(m_line);
        break;
    }

    // The editor takes no focus itself, so that a screen reader meets only the control inside;
    // focus given to the editor goes there, and a label's Alt key is pointed there.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void PropertyEditor::buildFlagList(const oledb::PropertyDefinition &definition)
{
    m_flags = new QListWidget(this);
    for (const QString &flag : definition.allowedValues) {
        auto *item = new QListWidgetItem(flag, m_flags);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    const int rows = int(definition.allowedValues.size());
    m_flags->setFixedHeight(m_flags->sizeHintForRow(0) * rows + 2 * m_flags->frameWidth() + 2);
    m_flags->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(m_flags, &QListWidget::itemChanged, this, &PropertyEditor::emitFlags);
}

void PropertyEditor::showValue(const std::optional<QString> &value, bool hidden)
{
    const QString text = value.value_or(QString());
    QLineEdit *edit = m_line ? m_line : m_combo ? m_combo->lineEdit() : nullptr;
    if (edit) {
        edit->setEchoMode(hidden || m_secret ? QLineEdit::Password : QLineEdit::Normal);
        const QScopedValueRollback showing(m_showing, true);
        showText(edit, text);
    } else if (m_flags) {
        // The provider's default counts for an absent value, so the ticks say what applies.
        const QString effective = value.value_or(m_default);
        QStringList chosen;
        for (QStringView flag : QStringView(effective).split(u'|'))
            chosen.append(flag.trimmed().toString());
        const QSignalBlocker blocker(m_flags);
        for (int i = 0; i < m_flags->count(); ++i) {
            QListWidgetItem *item = m_flags->item(i);
            const bool on = chosen.contains(item->text(), Qt::CaseInsensitive);
            item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
        }
    }
}

void PropertyEditor::markProblem(const QString &explanation)
{
    // Made on the first problem: the All tab may hold thousands of editors without one.
    if (!m_problemIcon && explanation.isEmpty())
        return;
    if (!m_problemIcon) {
        m_problemIcon = new QLabel(this);
        m_problemIcon->setObjectName(QStringLiteral("problemIcon"));
        const int side = style()->pixelMetric(QStyle::PM_SmallIconSize);
        m_problemIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(side));
        m_row->addWidget(m_problemIcon, 0, Qt::AlignTop);
    }
    m_problemIcon->setVisible(!explanation.isEmpty());
    m_problemIcon->setToolTip(explanation);
    setToolTip(explanation);
}

void PropertyEditor::placeIn(QBoxLayout *row, int stretch)
{
    for (QWidget *control : std::initializer_list<QWidget *> {m_line, m_combo, m_flags}) {
        if (control)
            row->addWidget(control, stretch);
    }
    if (m_problemIcon)
        row->addWidget(m_problemIcon, 0, Qt::AlignTop);
    m_row = row;
    hide();
}

void PropertyEditor::emitText(const QString &text)
{
    if (text.isEmpty())
        Q_EMIT cleared();
    else
        Q_EMIT edited(text);
}

void PropertyEditor::emitFlags()
{
    QStringList chosen;
    for (int i = 0; i < m_flags->count(); ++i) {
        if (m_flags->item(i)->checkState() == Qt::Checked)
            chosen.append(m_flags->item(i)->text());
    }
    if (chosen.isEmpty())
        Q_EMIT cleared();
    else
        Q_EMIT edited(chosen.join(u'|'));
}

QString objectNameFor(QStringView propertyName)
{
    QString name;
    bool upper = false;
    for (QChar c : propertyName) {
        if (!c.isLetterOrNumber()) {
            upper = !name.isEmpty();
            continue;
        }
        name.append(name.isEmpty() ? c.toLower() : upper ? c.toUpper() : c);
        upper = false;
    }
    return name;
}

} // namespace datalink
