#include "datalink/widgets/lookupfield.h"

#include "datalink/widgets/controlnames.h"
#include "oledb/datalinkdraft.h"

#include <QAbstractItemView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace datalink {

void LookupComboBox::showPopup()
{
    Q_EMIT popupRequested();
    if (count() > 0)
        QComboBox::showPopup();
}

LookupField::LookupField(DataLinkDraft &draft, QLineEdit *edit, const QString &property,
                         Planner planner, const QString &refreshText, QWidget *parent)
    : QObject(parent)
    , m_draft(draft)
    , m_property(property)
    , m_planner(std::move(planner))
    , m_refreshText(refreshText)
    , m_combo(new LookupComboBox(parent))
    , m_layout(new QVBoxLayout)
    , m_refresh(new QPushButton(refreshText, parent))
    , m_status(new QLabel(parent))
    , m_runner(new drivers::LookupRunner(this))
{
    m_combo->setObjectName(edit->objectName().replace(QStringLiteral("Edit"), QString())
                           + QStringLiteral("Combo"));
    m_combo->setEditable(true);
    m_combo->setLineEdit(edit);
    // Completing inline would show a name the draft does not hold.
    m_combo->setCompleter(nullptr);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_refresh->setAutoDefault(false);
    // Wide enough for either label, so the field does not jump when a search starts.
    m_refresh->setText(tr("Stop"));
    const int stopWidth = m_refresh->sizeHint().width();
    m_refresh->setText(refreshText);
    m_refresh->setMinimumWidth(std::max(stopWidth, m_refresh->sizeHint().width()));
    // The status wraps under the field rather than widening the dialog to fit it.
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    QSizePolicy statusPolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusPolicy.setHeightForWidth(true);
    m_status->setSizePolicy(statusPolicy);
    m_status->hide();

    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(2);
    auto *row = new QHBoxLayout;
    row->addWidget(m_combo, 1);
    row->addWidget(m_refresh);
    m_layout->addLayout(row);
    m_layout->addWidget(m_status);

    connect(m_combo, &LookupComboBox::popupRequested, this, [this] { search(false); });
    connect(m_refresh, &QPushButton::clicked, this, [this] {
        if (isSearching())
            stop();
        else
            search(true);
    });
    connect(m_combo, &QComboBox::activated, this,
            [this](int index) { m_draft.setValue(m_property, m_combo->itemText(index)); });
    connect(m_runner, &drivers::LookupRunner::finished, this, &LookupField::showResult);
}

QLayout *LookupField::layout() const
{
    return m_layout;
}

void LookupField::search(bool refresh)
{
    if (isSearching())
        return;
    const std::optional<Search> plan = m_planner ? m_planner(refresh) : std::nullopt;
    if (!plan || (!refresh && plan->key == m_listedKey))
        return;
    m_runningKey = plan->key;
    m_openWhenFound = !refresh;
    setStatus(plan->progress);
    setSearching(true);
    m_runner->start(plan->job, plan->limit);
}

void LookupField::stop()
{
    m_runner->cancel();
    setSearching(false);
    setStatus(tr("Stopped; nothing was listed."));
}

void LookupField::showResult(const drivers::LookupResult &result)
{
    setSearching(false);
    // A list from an earlier log-on or host would offer names this one may not have.
    m_listedKey = result.succeeded() ? m_runningKey : QString();
    // Replacing the items would put the first one in the field; the user's text stays.
    const QString typed = m_combo->lineEdit()->text();
    const bool wasOpen = m_combo->view()->isVisible();
    m_combo->hidePopup();
    m_combo->clear();
    m_combo->addItems(result.names);
    m_combo->setCurrentIndex(m_combo->findText(typed));
    if (m_combo->lineEdit()->text() != typed)
        m_combo->lineEdit()->setText(typed);
    if (!result.succeeded())
        setStatus(result.failure);
    else
        setStatus(result.names.isEmpty() ? tr("Nothing was found.") : QString());
    if (!result.names.isEmpty() && (wasOpen || m_openWhenFound) && m_combo->isVisible())
        m_combo->showListedPopup();
}

void LookupField::setRefreshNames(const QString &refresh, const QString &stop)
{
    m_refreshName = refresh;
    m_stopName = stop;
    setSearching(isSearching());
}

void LookupField::setSearching(bool searching)
{
    m_refresh->setText(searching ? tr("Stop") : m_refreshText);
    m_refresh->setAccessibleName(searching ? m_stopName : m_refreshName);
}

void LookupField::setStatus(const QString &text)
{
    m_status->setText(text);
    m_status->setVisible(!text.isEmpty());
    // A screen reader never meets the line itself: it reads it with the field.
    describeControl(m_combo, text);
}

} // namespace datalink
