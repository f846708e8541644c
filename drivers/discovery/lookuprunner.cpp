#include "drivers/discovery/lookuprunner.h"

namespace drivers {

LookupRunner::LookupRunner(QObject *parent)
    : QObject(parent)
    , m_runner(this, [this](const LookupResult &result) { Q_EMIT finished(result); })
{ }

void LookupRunner::start(Job job, std::chrono::milliseconds limit)
{
    m_runner.start(std::move(job), limit,
                   LookupResult::failed(QStringLiteral(
                       "No answer came within the time allowed; nothing was found.")));
}

} // namespace drivers
