// corvanta_exitprobe DELAY_MS [CONNECTION_STRING]: leaves the way the program does while a
// cancelled Test Connection is still blocked in its driver. Starts a test, through this machine's
// drivers or, without a string, through a driver that never answers; cancels it after DELAY_MS;
// prints "exiting" and ends through drivers::exitProcess() as main() does.
#include "drivers/detachedwork.h"
#include "drivers/testing/connectiontester.h"
#include "drivers/testing/providerdispatcher.h"
#include "drivers/testing/testconnectionrunner.h"
#include "oledb/providercatalogue.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <mutex>
#include <thread>

namespace {

// A driver library whose clean-up at exit takes the lock its log-on holds: a process that ran
// its static destructors under the blocked worker would wait for ever.
std::mutex driverLock;
struct DriverLibrary
{
    DriverLibrary() = default;
    DriverLibrary(const DriverLibrary &) = delete;
    DriverLibrary &operator=(const DriverLibrary &) = delete;
    ~DriverLibrary() { const std::lock_guard lock(driverLock); }
} driverLibrary;

class NeverAnswers final : public drivers::IConnectionTester
{
public:
    drivers::TestResult test(const oledb::ConnectionString &, const std::atomic<bool> &) override
    {
        const std::lock_guard lock(driverLock);
        // Longer than any test waits for the probe; the process ends under it.
        std::this_thread::sleep_for(std::chrono::minutes(10));
        return drivers::TestResult::succeeded();
    }
};

int run(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int delay = arguments.value(1).toInt();
    const bool real = arguments.size() > 2;
    const std::shared_ptr<drivers::IConnectionTester> tester = real
        ? drivers::makeConnectionTester(oledb::ProviderCatalogue::builtIn())
        : std::make_shared<NeverAnswers>();

    auto *runner = new drivers::TestConnectionRunner(tester, oledb::ProviderCatalogue::builtIn());
    runner->start(real ? arguments.at(2) : QStringLiteral("Provider=MSDASQL.1;Data Source=x"));
    QTimer::singleShot(delay, &application, [runner] {
        runner->cancel();
        delete runner;
        std::puts("exiting");
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    drivers::exitProcess(run(argc, argv));
}
