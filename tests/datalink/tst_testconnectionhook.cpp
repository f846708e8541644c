#include "datalink/testconnectionhook.h"
#include "drivers/testing/connectiontester.h"
#include "drivers/testing/testconnectionrunner.h"
#include "oledb/providercatalogue.h"
#include "tests/drivers/exitprobe.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <condition_variable>
#include <mutex>
#include <thread>

using drivers::TestResult;

namespace {

// Holds every test until the test case opens the gate, like a driver waiting on a server.
class GatedTester final : public drivers::IConnectionTester
{
public:
    TestResult test(const oledb::ConnectionString &, const std::atomic<bool> &cancelled) override
    {
        std::unique_lock lock(m_mutex);
        ++m_calls;
        m_thread = std::this_thread::get_id();
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_open; });
        m_sawCancel = cancelled.load();
        ++m_finished;
        m_changed.notify_all();
        return m_result;
    }

    void open(TestResult result)
    {
        const std::lock_guard lock(m_mutex);
        m_result = std::move(result);
        m_open = true;
        m_changed.notify_all();
    }
    // Bounded, so a fault shows up as a failure rather than a hang.
    bool waitUntilFinished(int count)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(5),
                                  [&] { return m_finished >= count; });
    }
    int calls()
    {
        const std::lock_guard lock(m_mutex);
        return m_calls;
    }
    std::thread::id thread()
    {
        const std::lock_guard lock(m_mutex);
        return m_thread;
    }
    bool sawCancel()
    {
        const std::lock_guard lock(m_mutex);
        return m_sawCancel;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
    int m_calls = 0;
    int m_finished = 0;
    bool m_sawCancel = false;
    std::thread::id m_thread;
    TestResult m_result = TestResult::succeeded();
};

const QString Text = QStringLiteral("Provider=MSDASQL.1;Data Source=pg;User ID=me;Password=pw");

QProgressDialog *progressOf(QWidget *dialog)
{
    return dialog->findChild<QProgressDialog *>(QStringLiteral("testConnectionProgress"));
}

QMessageBox *resultOf(QWidget *dialog)
{
    return dialog->findChild<QMessageBox *>(QStringLiteral("testConnectionResult"));
}

} // namespace

class tst_TestConnectionHook : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void shouldTestOnAWorkerAndShowTheResult();
    void shouldDropTheResultOfACancelledTest();
    void shouldIgnoreAPressWhileATestRuns();
    void shouldOutliveTheDialogClosedMidTest();
    void shouldGiveUpAfterTheConnectTimeout();
    void shouldExitAtOnceWhileACancelledTestIsBlocked();

private:
    std::shared_ptr<GatedTester> m_tester;
    QDialog *m_dialog = nullptr;
};

void tst_TestConnectionHook::init()
{
    m_tester = std::make_shared<GatedTester>();
    m_dialog = new QDialog;
    m_dialog->show();
}

void tst_TestConnectionHook::cleanup()
{
    // A test that failed half-way must not leave a worker waiting for ever.
    m_tester->open(TestResult::succeeded());
    delete m_dialog;
    m_dialog = nullptr;
    QTRY_VERIFY2(QApplication::topLevelWidgets().isEmpty(), "a top-level widget was leaked");
}

void tst_TestConnectionHook::shouldTestOnAWorkerAndShowTheResult()
{
    const auto hook
        = datalink::makeTestConnectionHook(m_tester, oledb::ProviderCatalogue::builtIn());
    hook(Text, m_dialog);

    QTRY_VERIFY(progressOf(m_dialog) && progressOf(m_dialog)->isVisible());
    QCOMPARE(m_tester->calls(), 1);
    QVERIFY(m_tester->thread() != std::this_thread::get_id());
    QVERIFY(!resultOf(m_dialog));

    m_tester->open(TestResult::failed(QStringLiteral("server said no to pw")));
    QTRY_VERIFY(resultOf(m_dialog) && resultOf(m_dialog)->isVisible());
    QCOMPARE(resultOf(m_dialog)->text(),
             QStringLiteral("Test connection failed because of an error in initializing provider. "
                            "server said no to ********"));
    QTRY_VERIFY(!progressOf(m_dialog));
    QVERIFY(!m_tester->sawCancel());
}

void tst_TestConnectionHook::shouldDropTheResultOfACancelledTest()
{
    const auto hook
        = datalink::makeTestConnectionHook(m_tester, oledb::ProviderCatalogue::builtIn());
    hook(Text, m_dialog);
    QTRY_VERIFY(progressOf(m_dialog) && progressOf(m_dialog)->isVisible());

    auto *cancel = progressOf(m_dialog)->findChild<QPushButton *>();
    QVERIFY(cancel);
    QTest::mouseClick(cancel, Qt::LeftButton);
    QTRY_VERIFY(!progressOf(m_dialog));

    m_tester->open(TestResult::succeeded());
    QVERIFY(m_tester->waitUntilFinished(1));
    QTest::qWait(100);
    QVERIFY(!resultOf(m_dialog));
    QVERIFY(m_tester->sawCancel());

    // The dialog can test again at once, while the abandoned worker is long gone.
    hook(Text, m_dialog);
    QTRY_VERIFY(resultOf(m_dialog));
    QCOMPARE(resultOf(m_dialog)->text(), QStringLiteral("Test connection succeeded."));
}

void tst_TestConnectionHook::shouldIgnoreAPressWhileATestRuns()
{
    const auto hook
        = datalink::makeTestConnectionHook(m_tester, oledb::ProviderCatalogue::builtIn());
    hook(Text, m_dialog);
    hook(Text, m_dialog);
    m_tester->open(TestResult::succeeded());
    QTRY_VERIFY(resultOf(m_dialog));
    QCOMPARE(m_dialog->findChildren<QMessageBox *>().size(), 1);
    QCOMPARE(m_tester->calls(), 1);
}

void tst_TestConnectionHook::shouldOutliveTheDialogClosedMidTest()
{
    const auto hook
        = datalink::makeTestConnectionHook(m_tester, oledb::ProviderCatalogue::builtIn());
    hook(Text, m_dialog);
    QTRY_COMPARE(m_tester->calls(), 1);
    delete m_dialog;
    m_dialog = new QDialog;

    m_tester->open(TestResult::succeeded());
    QVERIFY(m_tester->waitUntilFinished(1));
    QTest::qWait(100);
    const auto boxes = qApp->topLevelWidgets();
    QVERIFY(std::none_of(boxes.begin(), boxes.end(),
                         [](QWidget *w) { return qobject_cast<QMessageBox *>(w); }));
}

void tst_TestConnectionHook::shouldGiveUpAfterTheConnectTimeout()
{
    drivers::TestConnectionRunner runner(m_tester, oledb::ProviderCatalogue::builtIn());
    runner.setGracePeriod(std::chrono::milliseconds(0));
    QSignalSpy finished(&runner, &drivers::TestConnectionRunner::finished);

    runner.start(QStringLiteral("Provider=MSDASQL;Data Source=pg;Connect Timeout=1"));
    QVERIFY(runner.isRunning());
    QVERIFY(finished.wait(3000));
    const auto result = finished.at(0).at(0).value<TestResult>();
    QCOMPARE(result.outcome, TestResult::Outcome::Failed);
    QVERIFY2(result.message.contains(QStringLiteral("1 seconds")), qPrintable(result.message));
    QVERIFY(!runner.isRunning());

    m_tester->open(TestResult::succeeded());
    QVERIFY(m_tester->waitUntilFinished(1));
    QTest::qWait(100);
    QCOMPARE(finished.size(), 1);
}

void tst_TestConnectionHook::shouldExitAtOnceWhileACancelledTestIsBlocked()
{
    // Cancelled before the driver is reached, as it is reached, and long after.
    for (int delay = 0; delay < 200; delay += 10) {
        const QString fault = exitProbeFault({QString::number(delay)});
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }
}

QTEST_MAIN(tst_TestConnectionHook)
#include "tst_testconnectionhook.moc"
