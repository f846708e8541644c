#include "datalink/pages/allpropertiespage.h"

#include "datalink/pages/otherpropertiesmodel.h"
#include "datalink/widgets/controlnames.h"
#include "datalink/widgets/propertyeditor.h"
#include "oledb/connectionstring.h"
#include "oledb/datalinkdraft.h"
#include "oledb/propertynames.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>

namespace datalink {

using namespace oledb::property;

namespace {

// Edits a value as the user types, so the string and the pages follow each keystroke; a
// secret is typed masked.
class ValueDelegate final : public QStyledItemDelegate
{
public:
    ValueDelegate(DataLinkDraft &draft, const OtherPropertiesModel &model, QObject *parent)
        : QStyledItemDelegate(parent)
        , m_draft(draft)
        , m_model(model)
    { }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &index) const override
    {
        const QString name = m_model.nameAt(index.row());
        auto *edit = new QLineEdit(parent);
        edit->setObjectName(QStringLiteral("value:") + name);
        edit->setFrame(false);
        if (m_draft.hidesValue(name))
            edit->setEchoMode(QLineEdit::Password);
        connect(edit, &QLineEdit::textEdited, edit,
                [this, name](const QString &text) { m_draft.setValue(name, text); });
        return edit;
    }

    // The draft's echo of a keystroke must not move the caret.
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        auto *edit = static_cast<QLineEdit *>(editor);
        const QString value = index.data(Qt::EditRole).toString();
        if (edit->text() != value)
            edit->setText(value);
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override
    {
        model->setData(index, static_cast<QLineEdit *>(editor)->text());
    }

private:
    DataLinkDraft &m_draft;
    const OtherPropertiesModel &m_model;
};

} // namespace

AllPropertiesPage::AllPropertiesPage(DataLinkDraft &draft, QWidget *parent)
    : QWidget(parent)
    , m_draft(draft)
    , m_filter(new QLineEdit(this))
    , m_scroll(new QScrollArea(this))
    , m_description(new QLabel(this))
    , m_model(new OtherPropertiesModel(draft, this))
    , m_others(new QTableView(this))
    , m_newName(new QLineEdit(this))
    , m_newValue(new QLineEdit(this))
    , m_addMessage(new QLabel(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *intro = new QLabel(tr("Names in bold are in the connection string; the others take "
                                "the provider's default, shown greyed."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    m_filter->setObjectName(QStringLiteral("allPropertiesFilter"));
    m_filter->setPlaceholderText(tr("Filter by name or description"));
    m_filter->setClearButtonEnabled(true);
    nameControl(m_filter, tr("Filter the properties"));
    layout->addWidget(m_filter);
    connect(m_filter, &QLineEdit::textChanged, this, &AllPropertiesPage::applyFilter);

    m_scroll->setObjectName(QStringLiteral("allPropertiesScroll"));
    m_scroll->setWidgetResizable(true);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    // The rows scroll down, never sideways: the page is as wide as its rows need.
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(m_scroll, 2);
    m_description->setObjectName(QStringLiteral("allPropertiesDescription"));
    m_description->setWordWrap(true);
    // Two lines kept whatever the sentence, so moving between rows does not shake the page.
    m_description->setMinimumHeight(2 * m_description->fontMetrics().lineSpacing());
    m_description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_description->setTextFormat(Qt::PlainText);
    layout->addWidget(m_description);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget *, QWidget *now) { describe(now); });

    m_othersCaption = new QLabel(tr("&Other properties in the string:"), this);
    m_othersCaption->setBuddy(m_others);
    layout->addWidget(m_othersCaption);
    m_others->setObjectName(QStringLiteral("otherPropertiesTable"));
    m_others->setModel(m_model);
    m_others->setItemDelegateForColumn(OtherPropertiesModel::ValueColumn,
                                       new ValueDelegate(draft, *m_model, m_others));
    m_others->setEditTriggers(QAbstractItemView::AllEditTriggers);
    m_others->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_others->setSelectionMode(QAbstractItemView::SingleSelection);
    m_others->verticalHeader()->hide();
    // Every row the same height, so the view never measures rows it does not show.
    m_others->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Fixed widths: fitting a column to its contents would read every row.
    m_others->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_others->horizontalHeader()->setSectionResizeMode(OtherPropertiesModel::ValueColumn,
                                                       QHeaderView::Stretch);
    m_others->horizontalHeader()->resizeSection(OtherPropertiesModel::RemoveColumn,
                                                style()->pixelMetric(QStyle::PM_SmallIconSize) * 2);
    m_others->setWordWrap(false);
    m_others->viewport()->installEventFilter(this);
    connect(m_others, &QTableView::clicked, m_model, &OtherPropertiesModel::activate);
    layout->addWidget(m_others, 1);

    auto *addRow = new QHBoxLayout;
    m_newName->setObjectName(QStringLiteral("newPropertyNameEdit"));
    m_newName->setPlaceholderText(tr("Name"));
    m_newValue->setObjectName(QStringLiteral("newPropertyValueEdit"));
    m_newValue->setPlaceholderText(tr("Value"));
    nameControl(m_newName, tr("Name of the new property"));
    nameControl(m_newValue, tr("Value of the new property"));
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
    for (auto signal : {&OtherPropertiesModel::rowsInserted, &OtherPropertiesModel::rowsRemoved})
        connect(m_model, signal, this, &AllPropertiesPage::fitOtherProperties);
    connect(m_model, &OtherPropertiesModel::modelReset, this,
            &AllPropertiesPage::fitOtherProperties);
    connect(m_model, &OtherPropertiesModel::rowsInserted, this, &AllPropertiesPage::applyFilter);
    connect(m_model, &OtherPropertiesModel::modelReset, this, &AllPropertiesPage::applyFilter);
    connect(m_others->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { describe(m_others); });
    connect(&m_draft, &DataLinkDraft::shapeChanged, this, [this] {
        if (m_draft.pagesKey() != m_builtFor)
            rebuildRows();
    });
    connect(&m_draft, &DataLinkDraft::propertyChanged, this, [this](const QString &name) {
        const auto row = m_rows.find(m_draft.propertyKey(name));
        if (row != m_rows.end())
            refreshRow(*row);
    });
    rebuildRows();
    fitOtherProperties();
}

QSize AllPropertiesPage::sizeHint() const
{
    // The rows scroll; the Connection tab, which must show whole, decides the dialog's height.
    return {QWidget::sizeHint().width(), minimumSizeHint().height()};
}

void AllPropertiesPage::fitOtherProperties()
{
    const int rows = m_model->rowCount();
    m_othersCaption->setVisible(rows > 0);
    m_others->setVisible(rows > 0);
    // A few rows get the room they fill; many share the page with the provider's own.
    constexpr int FewRows = 8;
    const int fitting = m_others->horizontalHeader()->sizeHint().height()
        + rows * m_others->verticalHeader()->defaultSectionSize() + 2 * m_others->frameWidth();
    m_others->setMaximumHeight(rows <= FewRows ? fitting : QWIDGETSIZE_MAX);
}

void AllPropertiesPage::refresh()
{
    if (m_draft.pagesKey() != m_builtFor) {
        rebuildRows();
        return;
    }
    for (Row &row : m_rows)
        refreshRow(row);
    m_model->refreshAll();
}

PropertyEditor *AllPropertiesPage::editorFor(QStringView name) const
{
    const auto row = m_rows.constFind(m_draft.propertyKey(name));
    return row == m_rows.cend() ? nullptr : row->editor;
}

QTableView *AllPropertiesPage::otherProperties() const
{
    return m_others;
}

void AllPropertiesPage::rebuildRows()
{
    // Typing a service's Data Provider can change the provider, and with it every row: the
    // row typed in keeps the keyboard, where the text cursor was.
    QString typedIn;
    int cursor = -1;
    for (const Row &row : std::as_const(m_rows)) {
        if (QLineEdit *line = row.editor->lineEdit(); line && line->hasFocus()) {
            typedIn = row.name;
            cursor = line->cursorPosition();
        }
    }
    m_rows.clear();
    // The old rows may be in the middle of emitting the signal that brought us here.
    if (QWidget *old = m_scroll->takeWidget())
        old->deleteLater();
    auto *holder = new QWidget;
    auto *column = new QVBoxLayout(holder);
    m_grid = new QGridLayout;
    m_grid->setColumnStretch(1, 1);
    column->addLayout(m_grid);
    column->addStretch(1);
    m_nextGridRow = 0;
    m_builtFor = m_draft.pagesKey();
    for (const oledb::PropertyDefinition &definition : m_draft.provider().properties)
        addRow(definition.name);
    // Names up to a couple of dozen characters keep to one line; longer ones wrap.
    int widest = 0;
    for (const Row &row : std::as_const(m_rows))
        widest = std::max(widest, row.label->fontMetrics().horizontalAdvance(row.name));
    m_grid->setColumnMinimumWidth(0, std::min(widest, fontMetrics().averageCharWidth() * 24));
    m_scroll->setWidget(holder);
    m_scroll->setMinimumWidth(holder->minimumSizeHint().width() + 2 * m_scroll->frameWidth()
                              + m_scroll->verticalScrollBar()->sizeHint().width());
    for (Row &row : m_rows)
        refreshRow(row);
    m_model->reset();
    applyFilter();
    m_description->clear();
    if (const PropertyEditor *editor = typedIn.isEmpty() ? nullptr : editorFor(typedIn);
        editor && editor->lineEdit()) {
        editor->lineEdit()->setFocus(Qt::OtherFocusReason);
        editor->lineEdit()->setCursorPosition(cursor);
    }
}

void AllPropertiesPage::addRow(const QString &name)
{
    QWidget *parent = m_grid->parentWidget();
    Row row;
    row.name = name;
    row.label = new QLabel(name, parent);
    // A long name takes a second line rather than the values' room.
    row.label->setWordWrap(true);
    row.editor = new PropertyEditor(m_draft.definition(name), m_draft.isSecret(name), parent);
    row.editor->setObjectName(QStringLiteral("value:") + name);
    row.label->setBuddy(row.editor);
    // The whole name, which a narrow page may cut, and what the property does.
    const oledb::PropertyDefinition *definition = m_draft.definition(name);
    const QString description = definition ? definition->description : QString();
    row.label->setToolTip(description.isEmpty() ? name : name + u'\n' + description);
    for (QWidget *field : {static_cast<QWidget *>(row.editor->lineEdit()),
                           static_cast<QWidget *>(row.editor->comboBox())}) {
        if (field)
            field->installEventFilter(this);
    }
    row.action = new QToolButton(parent);
    row.action->setObjectName(QStringLiteral("reset:") + name);
    row.action->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    row.action->setToolTip(tr("Reset %1 to the provider's default").arg(name));
    row.action->setAccessibleName(tr("Reset %1").arg(name));
    row.action->setAutoRaise(true);
    row.gridRow = m_nextGridRow++;
    m_grid->addWidget(row.label, row.gridRow, 0, Qt::AlignTop | Qt::AlignLeft);
    m_grid->addWidget(row.editor, row.gridRow, 1);
    m_grid->addWidget(row.action, row.gridRow, 2, Qt::AlignTop);
    if (m_draft.isSavedOnlyWhenAllowed(name)) {
        row.heldNote = new QLabel(tr("Not in the connection string: saving passwords is off. "
                                     "Tick \u201cAllow saving password\u201d on the Connection "
                                     "tab, or set Persist Security Info to True, to include it."),
                                  parent);
        row.heldNote->setObjectName(QStringLiteral("heldOut:") + name);
        row.heldNote->setWordWrap(true);
        row.heldNote->hide();
        m_grid->addWidget(row.heldNote, m_nextGridRow++, 1, 1, 2);
    }

    connect(row.editor, &PropertyEditor::edited, this,
            [this, name](const QString &value) { m_draft.setValue(name, value); });
    connect(row.editor, &PropertyEditor::cleared, this, [this, name] { m_draft.remove(name); });
    connect(row.action, &QToolButton::clicked, this, [this, name] { m_draft.remove(name); });
    m_rows.insert(m_draft.propertyKey(name), row);
}

void AllPropertiesPage::refreshRow(Row &row)
{
    const std::optional<QString> value = m_draft.value(row.name);
    row.editor->showValue(value, m_draft.hidesValue(row.name));
    row.editor->markProblem(m_draft.problemWith(row.name));
    // Bold says "in the string"; a password held out has a value but is not.
    const bool inString = m_draft.isInString(row.name);
    if (row.label->font().bold() != inString) {
        QFont font = row.label->font();
        font.setBold(inString);
        row.label->setFont(font);
    }
    if (row.heldNote)
        row.heldNote->setVisible(m_draft.isHeldOut(row.name) && matchesFilter(row.name));
    row.action->setEnabled(value.has_value());
}

bool AllPropertiesPage::matchesFilter(const QString &name) const
{
    const QString wanted = m_filter->text().trimmed();
    if (wanted.isEmpty() || name.contains(wanted, Qt::CaseInsensitive))
        return true;
    const oledb::PropertyDefinition *definition = m_draft.definition(name);
    return definition && definition->description.contains(wanted, Qt::CaseInsensitive);
}

void AllPropertiesPage::applyFilter()
{
    for (Row &row : m_rows) {
        const bool shown = matchesFilter(row.name);
        row.label->setVisible(shown);
        row.editor->setVisible(shown);
        row.action->setVisible(shown);
        if (row.heldNote)
            row.heldNote->setVisible(shown && m_draft.isHeldOut(row.name));
    }
    for (int i = 0; i < m_model->rowCount(); ++i)
        m_others->setRowHidden(i, !matchesFilter(m_model->nameAt(i)));
}

void AllPropertiesPage::describe(QWidget *focused)
{
    if (!focused || !isAncestorOf(focused))
        return;
    for (const Row &row : std::as_const(m_rows)) {
        if (row.editor != focused && !row.editor->isAncestorOf(focused))
            continue;
        const oledb::PropertyDefinition *definition = m_draft.definition(row.name);
        const QString description = definition ? definition->description : QString();
        m_description->setText(description.isEmpty() ? row.name : row.name + u": " + description);
        return;
    }
    if (focused == m_others || m_others->isAncestorOf(focused)) {
        const QModelIndex current = m_others->currentIndex();
        if (current.isValid()) {
            m_description->setText(tr("%1: not a property the provider declares; it reaches "
                                      "the provider as it is written.")
                                       .arg(m_model->nameAt(current.row())));
        }
    }
}

bool AllPropertiesPage::showCutText(QWidget *field, const QPoint &at)
{
    QString text;
    int room = 0;
    if (field == m_others->viewport()) {
        const QModelIndex index = m_others->indexAt(at);
        if (!index.isValid())
            return false;
        // The cell shows what the model displays, masked where it must be; never more.
        text = index.data(Qt::DisplayRole).toString();
        room = m_others->visualRect(index).width()
            - 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin) - 4;
    } else if (auto *line = qobject_cast<QLineEdit *>(field)) {
        if (line->echoMode() != QLineEdit::Normal)
            return false;
        text = line->text();
        room = line->contentsRect().width() - 2 * line->textMargins().left() - 4;
    } else if (auto *combo = qobject_cast<QComboBox *>(field)) {
        text = combo->currentText();
        room = combo->contentsRect().width() - combo->iconSize().width() - 24;
    }
    if (text.isEmpty() || field->fontMetrics().horizontalAdvance(text) <= room)
        return false;
    QToolTip::showText(field->mapToGlobal(at), text, field);
    return true;
}

bool AllPropertiesPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        if (showCutText(static_cast<QWidget *>(watched), help->pos()))
            return true;
    }
    return QWidget::eventFilter(watched, event);
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
    if (PropertyEditor *editor = editorFor(name)) {
        editor->setFocus();
    } else if (const int row = m_model->rowOf(name); row >= 0) {
        const QModelIndex value = m_model->index(row, OtherPropertiesModel::ValueColumn);
        m_others->scrollTo(value);
        m_others->setCurrentIndex(value);
        m_others->setFocus();
    }
}

} // namespace datalink
