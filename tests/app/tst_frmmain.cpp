#include "app/frmmain.h"
#include "platform/shell.h"
#include "tests/doubles/fakedatalinks.h"
#include "tests/doubles/faketoolkit.h"

#include <QTest>

// The main window's wiring, seen from the notification area, the clipboard and the text box:
// what a user gets from start-up, minimising, restoring and leaving.
class tst_frmMain : public QObject
{
    Q_OBJECT

    struct Rig
    {
        doubles::Faults faults;
        doubles::FakeToolkit toolkit {faults};
        doubles::FakeObjectFactory objects {faults};
        std::unique_ptr<frmMain> form = std::make_unique<frmMain>(toolkit, objects);
        doubles::FakeForm &fakes = *toolkit.lastForm;
        doubles::FakeWindow &window = *fakes.fakeWindow;
        doubles::FakeShell &shell = toolkit.fakeShell;

        Rig() { form->Load(); }
        int requests(quint32 message) const
        {
            return int(std::count_if(shell.requests.begin(), shell.requests.end(),
                                     [message](const auto &r) { return r.message == message; }));
        }
        float buttonTop() const { return fakes.controls.value(QStringLiteral("cmdCopy"))->top; }
    };

    static float twips(int pixels) { return float(pixels) * 15; }

private Q_SLOTS:
    void startUpShowsTheWindowAndSendsOneRefusedDelete()
    {
        Rig rig;
        QVERIFY(rig.window.visible);
        QCOMPARE(rig.shell.requests.size(), 1);
        QCOMPARE(rig.shell.requests[0].message, platform::NIM_DELETE);
        QCOMPARE(rig.shell.requests[0].bytes, platform::NotifyIconBuffer {});
        QCOMPARE(rig.shell.requests[0].answer, 0);
        QVERIFY(rig.fakes.controls.value(QStringLiteral("Picture1"))->visible);
    }

    void minimisingHidesBehindExactlyOneIconWithoutLayout()
    {
        Rig rig;
        const float top = rig.buttonTop();
        rig.window.height = 9000;
        rig.window.SetWindowState(platform::WindowState::Minimized);
        QCOMPARE(rig.requests(platform::NIM_ADD), 1);
        QCOMPARE(rig.shell.icons.size(), 1);
        QVERIFY(!rig.window.visible);
        QCOMPARE(rig.buttonTop(), top);
    }

    void maximisingLeavesTheShellAlone()
    {
        Rig rig;
        const auto before = rig.shell.requests.size();
        rig.window.width = 15360;
        rig.window.SetWindowState(platform::WindowState::Maximized);
        QCOMPARE(rig.shell.requests.size(), before);
        QCOMPARE(rig.fakes.textBoxes.value(QStringLiteral("txtConnStr"))->width, 15360 - 220);
    }

    void iconClickAndRestoreBringTheWindowBack_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("foreground");
        QTest::newRow("left click") << QStringLiteral("514") << true;
        QTest::newRow("double click") << QStringLiteral("515") << true;
        QTest::newRow("menu Restore") << QStringLiteral("mnuRestore") << true;
    }
    void iconClickAndRestoreBringTheWindowBack()
    {
        QFETCH(QString, how);
        QFETCH(bool, foreground);
        Rig rig;
        rig.window.SetWindowState(platform::WindowState::Maximized);
        rig.window.SetWindowState(platform::WindowState::Minimized);
        if (how.startsWith(u"mnu")) {
            // The menu comes from a right click, which asks for the foreground itself.
            rig.window.onPopup = [&](platform::IMenu &) {
                rig.form->clickEvent(how);
            };
            rig.form->mouseMoveEvent(2, 0, twips(517), 0);
        } else {
            rig.form->mouseMoveEvent(1, 0, twips(how.toInt()), 0);
        }
        QCOMPARE(rig.window.state, platform::WindowState::Normal);
        QVERIFY(rig.window.visible);
        QVERIFY(rig.shell.icons.isEmpty());
        QCOMPARE(!rig.shell.foreground.isEmpty(), foreground);
    }

    void pointerMessagesOtherThanTheIconsChangeNothing()
    {
        Rig rig;
        rig.window.SetWindowState(platform::WindowState::Maximized);
        for (int message : {512, 513, 516, 518, 520})
            rig.form->mouseMoveEvent(0, 0, twips(message), 0);
        QCOMPARE(rig.window.state, platform::WindowState::Maximized);
        QVERIFY(rig.window.poppedUp.isEmpty());
    }

    void leavingRemovesTheIconAndTheControllerSendsOneMoreDelete_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Exit button") << QStringLiteral("cmdClose");
        QTest::newRow("tray menu Exit") << QStringLiteral("mnuExit");
    }
    void leavingRemovesTheIconAndTheControllerSendsOneMoreDelete()
    {
        QFETCH(QString, how);
        Rig rig;
        rig.window.SetWindowState(platform::WindowState::Minimized);
        rig.form->clickEvent(how);
        QVERIFY(rig.fakes.unloaded);
        QVERIFY(rig.shell.icons.isEmpty());
        const int deletes = rig.requests(platform::NIM_DELETE);
        rig.form.reset();
        QCOMPARE(rig.requests(platform::NIM_DELETE), deletes + 1);
        QCOMPARE(rig.shell.requests.last().answer, 0);
    }

    void withoutANotificationAreaMinimisingKeepsTheWindowReachable()
    {
        Rig rig;
        rig.shell.available = false;
        rig.window.SetWindowState(platform::WindowState::Minimized);
        QVERIFY(rig.window.visible);
        QVERIFY(rig.shell.icons.isEmpty());
    }

    void commandsReachTheTextBoxBannerAndClipboard()
    {
        Rig rig;
        auto &text = *rig.fakes.textBoxes.value(QStringLiteral("txtConnStr"));
        auto &banner = *rig.fakes.controls.value(QStringLiteral("Picture1"));
        rig.objects.userConfirmsNew(QStringLiteral("Provider=MSDASQL.1;Data Source=x"));
        rig.form->clickEvent(QStringLiteral("cmdDLPrompt"));
        QCOMPARE(text.text, QStringLiteral("Provider=MSDASQL.1;Data Source=x"));
        QVERIFY(!banner.visible);
        rig.toolkit.fakeClipboard.hasOtherFormats = true;
        rig.form->clickEvent(QStringLiteral("cmdCopy"));
        QCOMPARE(rig.toolkit.fakeClipboard.text, text.text);
        QVERIFY(!rig.toolkit.fakeClipboard.hasOtherFormats);
        rig.form->clickEvent(QStringLiteral("cmdClear"));
        QCOMPARE(text.text, QString());
        QVERIFY(banner.visible);
        QCOMPARE(rig.objects.census.total(), 0);
    }

    void unloadLetsAFailingRemoveEscapeToTheToolkit()
    {
        doubles::Faults faults;
        doubles::FakeToolkit toolkit(faults);
        doubles::FakeObjectFactory objects(faults);
        frmMain form(toolkit, objects);
        faults.failOn(QStringLiteral("Shell.Shell_NotifyIconA"));
        bool cancel = false;
        QVERIFY_THROWS_EXCEPTION(platform::Error, form.unloadEvent(cancel));
        QVERIFY(!cancel);
    }
};

QTEST_GUILESS_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
