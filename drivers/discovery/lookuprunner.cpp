#include "drivers/discovery/lookuprunner.h"

#include <QMetaObject>

#include <limits>
#include <system_error>

namespace drivers {

LookupRunner::LookupRunner(QObject *parent)
    : QObject(parent)
{
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, [this] {
        if (!m_run)
            return;
        abandon();
        Q_EMIT finished(LookupResult::failed(
            QStringLiteral("No answer came within the time allowed; nothing was found.")));
    });
}

LookupRunner::~LookupRunner()
{
    abandon();
}

void LookupRunner::start(Job job, std::chrono::milliseconds limit)
{
    abandon();
    try {
        m_run = DetachedWork::start<LookupResult>(
            this, std::move(job),
            [this](const std::shared_ptr<DetachedWork> &run, const LookupResult &result) {
                deliver(run, result);
            });
        if (limit.count() > 0 && limit.count() <= std::numeric_limits<int>::max())
            m_watchdog.start(limit);
    } catch (const std::system_error &error) {
        abandon();
        const LookupResult result = LookupResult::failed(QString::fromLocal8Bit(error.what()));
        QMetaObject::invokeMethod(
            this, [this, result] { Q_EMIT finished(result); }, Qt::QueuedConnection);
    }
}

void LookupRunner::cancel()
{
    abandon();
}

void LookupRunner::deliver(const std::shared_ptr<DetachedWork> &run, const LookupResult &result)
{
    if (run != m_run)
        return;
    m_watchdog.stop();
    m_run.reset();
    Q_EMIT finished(result);
}

void LookupRunner::abandon()
{
    m_watchdog.stop();
    if (!m_run)
        return;
    m_run->abandon();
    m_run.reset();
}

} // namespace drivers
