#include "app/windowstatestep.h"

#include "platform/error.h"
#include "tests/doubles/fakeservices.h"
#include "tests/doubles/fakewindow.h"
#include "tray/csystray.h"

#include <QTest>

#include <memory>

using doubles::FakeApplication;
using doubles::FakeShell;
using doubles::FakeWindow;
using doubles::Faults;

namespace {

// The main window's side as the step sees it: a window, the shell, and a controller created and
// bound on first use.
struct Rig
{
    Faults faults;
    FakeShell shell {faults};
    FakeApplication application {faults};
    std::shared_ptr<FakeWindow> window = std::make_shared<FakeWindow>(faults);
    std::unique_ptr<tray::CSysTray> controller;

    tray::CSysTray &trayController()
    {
        if (!controller) {
            faults.check(QStringLiteral("CSysTray.new"));
            controller = std::make_unique<tray::CSysTray>(shell, application);
            controller->SetMainTrayForm(window);
        }
        return *controller;
    }

    app::WindowStateStep step {*window, [this]() -> tray::CSysTray & { return trayController(); },
                               shell};

    bool iconShown() const { return !shell.icons.isEmpty(); }
};

struct Scenario
{
    platform::WindowState state;
    bool visible;
    bool iconShown;
    bool available;
};

} // namespace

Q_DECLARE_METATYPE(Scenario)

class tst_WindowStateStep final : public QObject
{
    Q_OBJECT

    static std::unique_ptr<Rig> rigFor(const Scenario &scenario)
    {
        auto rig = std::make_unique<Rig>();
        rig->window->state = scenario.state;
        rig->window->visible = scenario.visible;
        // The icon went in while there was a notification area; it may have gone since.
        if (scenario.iconShown)
            rig->trayController().AddIconToTray();
        rig->shell.available = scenario.available;
        return rig;
    }

private Q_SLOTS:
    void iconLivesExactlyWhileMinimisedAndHidden_data()
    {
        QTest::addColumn<Scenario>("scenario");
        QTest::addColumn<bool>("iconAfter");
        QTest::addColumn<bool>("visibleAfter");
        QTest::addColumn<int>("shellRequests");

        using namespace platform;
        QTest::newRow("first resize at start-up")
            << Scenario {WindowState::Normal, true, false, true} << false << true << 1;
        QTest::newRow("restored from the icon")
            << Scenario {WindowState::Normal, false, true, true} << false << true << 2;
        QTest::newRow("minimised")
            << Scenario {WindowState::Minimized, true, false, true} << true << false << 1;
        QTest::newRow("minimised, no notification area")
            << Scenario {WindowState::Minimized, true, false, false} << false << true << 0;
        QTest::newRow("hidden in a notification area that went away")
            << Scenario {WindowState::Minimized, false, true, false} << false << true << 2;
        QTest::newRow("maximised")
            << Scenario {WindowState::Maximized, true, false, true} << false << true << 0;
        QTest::newRow("maximised after a failed restore")
            << Scenario {WindowState::Maximized, false, true, true} << true << false << 1;
    }
    void iconLivesExactlyWhileMinimisedAndHidden()
    {
        QFETCH(Scenario, scenario);
        QFETCH(bool, iconAfter);
        QFETCH(bool, visibleAfter);
        QFETCH(int, shellRequests);

        auto rig = rigFor(scenario);
        const int showsBefore = rig->window->showCount;

        rig->step.run();

        QCOMPARE(rig->iconShown(), iconAfter);
        QCOMPARE(rig->window->visible, visibleAfter);
        QCOMPARE(rig->shell.requests.size(), shellRequests);
        QCOMPARE(rig->window->state, scenario.state);
        // A window already on screen is not shown again.
        if (scenario.visible)
            QCOMPARE(rig->window->showCount, showsBefore);
    }

    // Fails the k-th operation of the step for every k; the outcome must be one the handler's
    // statements allow with that one statement skipped.
    void survivesAnyFailingOperation_data()
    {
        QTest::addColumn<Scenario>("scenario");

        using namespace platform;
        QTest::newRow("normal, hidden, icon shown")
            << Scenario {WindowState::Normal, false, true, true};
        QTest::newRow("normal, shown, no icon")
            << Scenario {WindowState::Normal, true, false, true};
        QTest::newRow("minimised") << Scenario {WindowState::Minimized, true, false, true};
        QTest::newRow("minimised, no notification area")
            << Scenario {WindowState::Minimized, true, false, false};
        QTest::newRow("hidden, notification area gone")
            << Scenario {WindowState::Minimized, false, true, false};
        QTest::newRow("maximised") << Scenario {WindowState::Maximized, true, false, true};
    }
    void survivesAnyFailingOperation()
    {
        QFETCH(Scenario, scenario);

        int operations = 0;
        {
            auto rig = rigFor(scenario);
            const int before = rig->faults.count();
            rig->step.run();
            operations = rig->faults.count() - before;
        }

        for (int k = 1; k <= operations; ++k) {
            auto rig = rigFor(scenario);
            rig->faults.failAt(rig->faults.count() + k);

            QVERIFY_THROWS_NO_EXCEPTION(rig->step.run());

            QCOMPARE(rig->faults.failed().size(), 1);
            const QString failed = rig->faults.failed().first();
            const QByteArray message = "failing " + failed.toLatin1();
            const char *context = message.constData();
            const bool hidden = !rig->window->visible;

            if (failed == QLatin1String("frmMain.WindowState")) {
                QVERIFY2(rig->iconShown() == scenario.iconShown, context);
                QVERIFY2(rig->window->visible == scenario.visible, context);
                continue;
            }
            QVERIFY2(!hidden || scenario.available || failed == QLatin1String("frmMain.Show"),
                     context);
            switch (scenario.state) {
            case platform::WindowState::Normal:
                QVERIFY2(!hidden || failed == QLatin1String("frmMain.Show"), context);
                QVERIFY2(!rig->iconShown() || failed == QLatin1String("Shell.Shell_NotifyIconA"),
                         context);
                break;
            case platform::WindowState::Minimized:
                // Hidden with no icon is what a failed add leaves; the only other way out
                // is a skipped hide, with the window still on screen.
                QVERIFY2(hidden || failed == QLatin1String("frmMain.Hide")
                             || failed == QLatin1String("Shell.NotificationAreaAvailable")
                             || !scenario.available,
                         context);
                QVERIFY2(!rig->iconShown() || scenario.available
                             || failed == QLatin1String("Shell.Shell_NotifyIconA"),
                         context);
                break;
            default:
                QVERIFY2(rig->shell.requests.isEmpty(), context);
                QVERIFY2(rig->window->visible == scenario.visible, context);
            }
        }
    }

    void failedCreationOfTheControllerStillShowsTheWindow()
    {
        Rig rig;
        rig.window->visible = false;
        rig.faults.failOn(QStringLiteral("CSysTray.new"));

        rig.step.run();

        QVERIFY(rig.window->visible);
        QVERIFY(rig.shell.requests.isEmpty());
    }

    void availabilityIsAskedOnEveryMinimise()
    {
        Rig rig;
        rig.window->state = platform::WindowState::Minimized;
        rig.shell.available = false;
        rig.step.run();
        QVERIFY(rig.window->visible);

        // A tray host that came up after start-up.
        rig.shell.available = true;
        rig.step.run();
        QVERIFY(!rig.window->visible);
        QVERIFY(rig.iconShown());

        // Its host crashed, taking the icon; then another host came up.
        rig.shell.available = false;
        rig.shell.icons.clear();
        rig.step.run();
        QVERIFY(rig.window->visible);
        QCOMPARE(rig.window->state, platform::WindowState::Minimized);
        rig.shell.available = true;
        rig.step.run();
        QVERIFY(!rig.window->visible);
        QVERIFY(rig.iconShown());
    }
};

QTEST_APPLESS_MAIN(tst_WindowStateStep)
#include "tst_windowstatestep.moc"
