#include "drivers/testing/testconnectionrunner.h"

#include "drivers/testing/connectiontester.h"
#include "oledb/connectionstring.h"

namespace drivers {

TestConnectionRunner::TestConnectionRunner(std::shared_ptr<IConnectionTester> tester,
                                           const oledb::ProviderCatalogue &catalogue,
                                           QObject *parent)
    : QObject(parent)
    , m_tester(std::move(tester))
    , m_catalogue(catalogue)
    , m_runner(this, [this](const TestResult &result) { Q_EMIT finished(result); })
{ }

void TestConnectionRunner::start(const QString &connectionString)
{
    if (isRunning())
        return;
    int timeoutSeconds = 0;
    try {
        timeoutSeconds = connectTimeoutSeconds(oledb::ConnectionString::parse(connectionString));
    } catch (...) {
        // The worker reports the malformed string at once; no watchdog is needed for that.
    }
    // Without a connect timeout the test waits for Cancel.
    const auto limit = timeoutSeconds > 0
        ? std::chrono::milliseconds(std::chrono::seconds(timeoutSeconds)) + m_grace
        : std::chrono::milliseconds(0);
    m_runner.start(
        [tester = m_tester, catalogue = &m_catalogue,
         text = connectionString](const std::atomic<bool> &cancelled) {
            return testConnectionString(*tester, *catalogue, text, cancelled);
        },
        limit,
        TestResult::failed(
            QStringLiteral("The driver did not answer within the connect timeout of %1 seconds.")
                .arg(timeoutSeconds)));
}

} // namespace drivers
