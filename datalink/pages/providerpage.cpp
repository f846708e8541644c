#include "datalink/pages/providerpage.h"

#include "oledb/datalinkdraft.h"
#include "oledb/providercatalogue.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace datalink {

namespace {

// Item data: the ProgID, empty for the entry that stands for unknown providers.
constexpr int ProgIdRole = Qt::UserRole;

} // namespace

ProviderPage::ProviderPage(DataLinkDraft &draft, QWidget *parent)
    : QWidget(parent)
    , m_draft(draft)
    , m_list(new QListWidget(this))
    , m_otherLabel(new QLabel(tr("Provider &ProgID:"), this))
    , m_otherProgId(new QLineEdit(this))
    , m_next(new QPushButton(tr("&Next >>"), this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *caption = new QLabel(tr("Select the data you want to connect to:"), this);
    caption->setBuddy(m_list);
    layout->addWidget(caption);

    m_list->setObjectName(QStringLiteral("providerList"));
    QList<const oledb::Provider *> known;
    for (const oledb::Provider &provider : draft.catalogue().providers()) {
        if (!provider.generic)
            known.append(&provider);
    }
    std::sort(known.begin(), known.end(), [](const auto *a, const auto *b) {
        return QString::localeAwareCompare(a->description, b->description) < 0;
    });
    for (const oledb::Provider *provider : std::as_const(known)) {
        auto *item = new QListWidgetItem(provider->description, m_list);
        item->setData(ProgIdRole, provider->progId);
        item->setToolTip(provider->progId);
    }
    auto *other = new QListWidgetItem(draft.catalogue().generic().description, m_list);
    other->setData(ProgIdRole, QString());
    layout->addWidget(m_list, 1);

    auto *otherRow = new QHBoxLayout;
    m_otherProgId->setObjectName(QStringLiteral("otherProgIdEdit"));
    m_otherProgId->setPlaceholderText(tr("For example SQLOLEDB.1"));
    m_otherLabel->setBuddy(m_otherProgId);
    otherRow->addWidget(m_otherLabel);
    otherRow->addWidget(m_otherProgId, 1);
    layout->addLayout(otherRow);

    auto *nextRow = new QHBoxLayout;
    m_next->setObjectName(QStringLiteral("nextButton"));
    m_next->setAutoDefault(false);
    nextRow->addStretch();
    nextRow->addWidget(m_next);
    layout->addLayout(nextRow);

    connect(m_list, &QListWidget::itemClicked, this, &ProviderPage::choose);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &ProviderPage::next);
    // Keyboard selection moves the current item without a click.
    connect(m_list, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *current) {
        if (current && m_list->hasFocus())
            choose();
    });
    // Enter on the list goes on to the Connection tab, as Next does; the list would pass it
    // on to the dialog, whose default button ends it with the string barely begun.
    m_list->installEventFilter(this);
    connect(m_otherProgId, &QLineEdit::textEdited, this, &ProviderPage::choose);
    connect(m_next, &QPushButton::clicked, this, &ProviderPage::next);
}

void ProviderPage::refresh()
{
    const oledb::Provider *known = m_draft.catalogue().find(m_draft.providerProgId());
    const QString selected = known ? known->progId : QString();
    for (int i = 0; i < m_list->count(); ++i) {
        QListWidgetItem *item = m_list->item(i);
        if (item->data(ProgIdRole).toString() == selected && !item->isSelected()) {
            const QSignalBlocker blocker(m_list);
            m_list->setCurrentItem(item);
        }
    }
    const bool other = !known;
    m_otherLabel->setEnabled(other);
    m_otherProgId->setEnabled(other);
    if (other && m_otherProgId->text() != m_draft.providerProgId())
        m_otherProgId->setText(m_draft.providerProgId());
    m_next->setEnabled(!m_draft.providerProgId().isEmpty());
}

void ProviderPage::focusProgId()
{
    m_otherProgId->setFocus();
}

bool ProviderPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            next();
            if (m_draft.providerProgId().isEmpty())
                m_otherProgId->setFocus();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// With no provider there is no page to go on to: the user has yet to type the ProgID.
void ProviderPage::next()
{
    if (!m_draft.providerProgId().isEmpty())
        Q_EMIT nextRequested();
}

void ProviderPage::choose()
{
    QListWidgetItem *item = m_list->currentItem();
    if (!item)
        return;
    QString progId = item->data(ProgIdRole).toString();
    if (progId.isEmpty()) {
        progId = m_otherProgId->text().trimmed();
        m_otherLabel->setEnabled(true);
        m_otherProgId->setEnabled(true);
        if (progId.isEmpty()) {
            // The previous provider's name must not linger in the string as if chosen.
            m_draft.chooseProvider(QString());
            m_otherProgId->setFocus();
            return;
        }
        if (m_draft.catalogue().find(progId)) {
            m_otherProgId->setFocus();
            return;
        }
    }
    m_draft.chooseProvider(progId);
}

} // namespace datalink
