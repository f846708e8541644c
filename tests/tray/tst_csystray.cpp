#include "tray/csystray.h"

#include "platform/error.h"
#include "tests/doubles/fakeservices.h"
#include "tests/doubles/fakewindow.h"

#include <QTest>

#include <memory>

using doubles::FakeApplication;
using doubles::FakeMenu;
using doubles::FakeShell;
using doubles::FakeWindow;
using doubles::Faults;
using tray::CSysTray;

namespace {

enum class Outcome { Nothing, Restored, MenuPoppedUp };

QByteArray bytesOf(const platform::NotifyIconBuffer &buffer)
{
    return QByteArray(reinterpret_cast<const char *>(buffer.data()), int(buffer.size()));
}

QByteArray tipBytes(const FakeShell::Request &request)
{
    return bytesOf(request.bytes).mid(24);
}

} // namespace

Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(platform::ScaleMode)

class tst_CSysTray final : public QObject
{
    Q_OBJECT

    // Built afresh for every test function and row.
    struct Rig
    {
        Faults faults;
        FakeShell shell {faults};
        FakeApplication application {faults};
        std::shared_ptr<FakeWindow> window = std::make_shared<FakeWindow>(faults);
        std::shared_ptr<FakeMenu> menu = std::make_shared<FakeMenu>(QStringLiteral("mnuTray"));
        std::unique_ptr<CSysTray> tray = std::make_unique<CSysTray>(shell, application);

        Rig()
        {
            tray->SetMainTrayForm(window);
            tray->SetTrayMenu(menu);
        }
        // The record as the controller holds it now: what a remove sends.
        QByteArray recordNow()
        {
            tray->RemoveIconFromTray();
            return bytesOf(shell.requests.last().bytes);
        }
    };

private Q_SLOTS:
    void addSendsTheRecordInItsByteLayout()
    {
        Rig rig;
        rig.window->handle = 0x87654321;
        rig.window->icon = 0x00c0ffee;

        rig.tray->AddIconToTray();

        QCOMPARE(rig.shell.requests.size(), 1);
        QCOMPARE(rig.shell.requests[0].message, platform::NIM_ADD);
        const QByteArray expected = QByteArray::fromHex("58000000 21436587 01000000 07000000"
                                                        "00020000 eeffc000")
            + QByteArray("Corvanta") + '\0' + QByteArray(55, ' ');
        QCOMPARE(bytesOf(rig.shell.requests[0].bytes), expected);
        QCOMPARE(rig.shell.icons, (QList<std::pair<quint32, quint32>> {{0x87654321, 1}}));
    }

    void removeOnAFreshControllerSendsAnAllZeroRecord()
    {
        Rig rig;
        rig.tray->RemoveIconFromTray();

        QCOMPARE(rig.shell.requests.size(), 1);
        QCOMPARE(rig.shell.requests[0].message, platform::NIM_DELETE);
        QCOMPARE(bytesOf(rig.shell.requests[0].bytes), QByteArray(88, '\0'));
        QCOMPARE(rig.faults.log(), QStringList {QStringLiteral("Shell.Shell_NotifyIconA")});
    }

    void secondAddIsRefusedAndTheRecordHoldsItsReads()
    {
        Rig rig;
        rig.tray->AddIconToTray();
        rig.window->icon = 0x3003;
        rig.application.title = QStringLiteral("Renamed");

        rig.tray->AddIconToTray();

        QCOMPARE(rig.shell.requests.size(), 2);
        QCOMPARE(rig.shell.requests[1].message, platform::NIM_ADD);
        QCOMPARE(rig.shell.requests[1].answer, 0);
        QCOMPARE(rig.shell.icons.size(), 1);
        const QByteArray record = rig.recordNow();
        QCOMPARE(platform::notifyIconField(rig.shell.requests.last().bytes,
                                           platform::NotifyIconIconOffset),
                 0x3003u);
        QVERIFY(record.mid(24).startsWith(QByteArray("Renamed", 8)));
        QVERIFY(rig.shell.icons.isEmpty());
    }

    void removeRepeatsTheSameRequest()
    {
        Rig rig;
        rig.tray->AddIconToTray();
        rig.window->handle = 0x5005;

        rig.tray->RemoveIconFromTray();
        rig.tray->RemoveIconFromTray();

        QCOMPARE(rig.shell.requests.size(), 3);
        QCOMPARE(rig.shell.requests[1].bytes, rig.shell.requests[0].bytes);
        QCOMPARE(rig.shell.requests[2].bytes, rig.shell.requests[0].bytes);
        QCOMPARE(rig.shell.requests[1].answer, 1);
        QCOMPARE(rig.shell.requests[2].answer, 0);
    }

    void tooltipFillsTheFixedField_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QByteArray>("field");

        const QByteArray nul(1, '\0');
        const QByteArray letters = QByteArray("abcdefghijklmnopqrstuvwxyz").repeated(4);
        QTest::newRow("8 characters")
            << QStringLiteral("Corvanta")
            << QByteArray(QByteArray("Corvanta") + nul + QByteArray(55, ' '));
        QTest::newRow("empty") << QString() << QByteArray(nul + QByteArray(63, ' '));
        QTest::newRow("63 characters, no room for a space")
            << QString::fromLatin1(letters.left(63)) << QByteArray(letters.left(63) + nul);
        QTest::newRow("64 characters, no room for the NUL")
            << QString::fromLatin1(letters.left(64)) << letters.left(64);
        QTest::newRow("longer, cut") << QString::fromLatin1(letters) << letters.left(64);
        QTest::newRow("outside Latin-1")
            << QStringLiteral("\u00e9t\u00e9 \u20ac")
            << QByteArray(QByteArray("\xe9t\xe9 ?") + nul + QByteArray(58, ' '));
        QTest::newRow("surrogate pair, one byte per half")
            << QStringLiteral("a\U0001F600b")
            << QByteArray(QByteArray("a??b") + nul + QByteArray(59, ' '));
    }
    void tooltipFillsTheFixedField()
    {
        QFETCH(QString, title);
        QFETCH(QByteArray, field);

        Rig rig;
        rig.application.title = title;
        rig.tray->AddIconToTray();

        QCOMPARE(tipBytes(rig.shell.requests[0]), field);
    }

    void showTrayMenuActsOnTheDecodedMessage_data()
    {
        QTest::addColumn<platform::ScaleMode>("scaleMode");
        QTest::addColumn<float>("twipsPerPixel");
        QTest::addColumn<float>("x");
        QTest::addColumn<Outcome>("outcome");

        const auto row
            = [](const char *name, platform::ScaleMode mode, float tpp, float x, Outcome outcome) {
                  QTest::newRow(name) << mode << tpp << x << outcome;
              };
        using enum Outcome;
        using enum platform::ScaleMode;
        row("pixels 514", Pixels, 15, 514, Restored);
        row("pixels 515", Pixels, 15, 515, Restored);
        row("pixels 517", Pixels, 15, 517, MenuPoppedUp);
        row("pixels 516.6", Pixels, 15, 516.6f, MenuPoppedUp);
        row("pixels ignore twips per pixel", Pixels, 0, 517, MenuPoppedUp);
        row("twips at 15, 514", Twips, 15, 514 * 15, Restored);
        row("twips at 15, 517", Twips, 15, 517 * 15, MenuPoppedUp);
        row("twips at 12, 515", Twips, 12, 515 * 12, Restored);
        row("twips at 12, 517", Twips, 12, 517 * 12, MenuPoppedUp);
        row("twips, quotient 516.9997", Twips, 15, 7754.9955f, MenuPoppedUp);
        row("pixel values in twips mode", Twips, 15, 517, Nothing);
        for (int message : {0, 512, 513, 516, 518, 519, 520}) {
            const QByteArray name = "twips at 15, " + QByteArray::number(message);
            row(name.constData(), Twips, 15, float(message * 15), Nothing);
            const QByteArray pixels = "pixels " + QByteArray::number(message);
            row(pixels.constData(), Pixels, 15, float(message), Nothing);
        }
    }
    void showTrayMenuActsOnTheDecodedMessage()
    {
        QFETCH(platform::ScaleMode, scaleMode);
        QFETCH(float, twipsPerPixel);
        QFETCH(float, x);
        QFETCH(Outcome, outcome);

        Rig rig;
        rig.window->scaleMode = scaleMode;
        rig.application.twipsPerPixel = twipsPerPixel;
        rig.window->state = platform::WindowState::Minimized;
        rig.window->visible = false;

        rig.tray->ShowTrayMenu(0, 0, x, 0);

        QCOMPARE(rig.window->state,
                 outcome == Outcome::Restored ? platform::WindowState::Normal
                                              : platform::WindowState::Minimized);
        QCOMPARE(rig.window->visible, outcome == Outcome::Restored);
        QCOMPARE(rig.window->poppedUp.size(), outcome == Outcome::MenuPoppedUp ? 1 : 0);
        if (outcome == Outcome::MenuPoppedUp)
            QCOMPARE(rig.window->poppedUp[0], rig.menu.get());
        const QList<quint32> foreground
            = outcome == Outcome::Nothing ? QList<quint32> {} : QList<quint32> {rig.window->handle};
        QCOMPARE(rig.shell.foreground, foreground);
        QVERIFY(rig.shell.requests.isEmpty());
    }

    void restoreBringsAMaximisedWindowBackToNormal()
    {
        Rig rig;
        rig.window->state = platform::WindowState::Maximized;
        int resizes = 0;
        rig.window->onResize = [&] {
            ++resizes;
        };

        rig.tray->ShowTrayMenu(1, 0, 514 * 15, 0);

        QCOMPARE(rig.window->state, platform::WindowState::Normal);
        QCOMPARE(resizes, 1);
        QCOMPARE(rig.window->showCount, 1);
    }

    void failingStepEndsShowTrayMenu_data()
    {
        QTest::addColumn<platform::ScaleMode>("scaleMode");
        QTest::addColumn<float>("twipsPerPixel");
        QTest::addColumn<float>("x");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<bool>("restored");
        QTest::addColumn<int>("foregroundRequests");

        const auto row = [](const char *name, platform::ScaleMode mode, float tpp, float x,
                            const char *failing, bool restored, int foreground) {
            QTest::newRow(name) << mode << tpp << x << QString::fromLatin1(failing) << restored
                                << foreground;
        };
        using enum platform::ScaleMode;
        row("scale mode", Twips, 15, 517 * 15, "frmMain.ScaleMode", false, 0);
        row("twips per pixel", Twips, 15, 517 * 15, "App.TwipsPerPixelX", false, 0);
        row("division by zero", Twips, 0, 517 * 15, "", false, 0);
        row("restore, state", Pixels, 15, 514, "frmMain.SetWindowState", false, 0);
        row("restore, handle", Pixels, 15, 514, "frmMain.hWnd", true, 0);
        row("restore, foreground", Pixels, 15, 514, "Shell.SetForegroundWindow", true, 0);
        row("restore, show", Pixels, 15, 514, "frmMain.Show", true, 1);
        row("menu, handle", Pixels, 15, 517, "frmMain.hWnd", false, 0);
        row("menu, foreground", Pixels, 15, 517, "Shell.SetForegroundWindow", false, 0);
        row("menu, pop-up", Pixels, 15, 517, "frmMain.PopupMenu", false, 1);
    }
    void failingStepEndsShowTrayMenu()
    {
        QFETCH(platform::ScaleMode, scaleMode);
        QFETCH(float, twipsPerPixel);
        QFETCH(float, x);
        QFETCH(QString, failing);
        QFETCH(bool, restored);
        QFETCH(int, foregroundRequests);

        Rig rig;
        rig.window->scaleMode = scaleMode;
        rig.application.twipsPerPixel = twipsPerPixel;
        rig.window->state = platform::WindowState::Minimized;
        rig.window->visible = false;
        if (!failing.isEmpty())
            rig.faults.failOn(failing);

        QVERIFY_THROWS_EXCEPTION(platform::Error, rig.tray->ShowTrayMenu(0, 0, x, 0));

        if (!failing.isEmpty())
            QCOMPARE(rig.faults.log().last(), failing);
        QCOMPARE(rig.window->state,
                 restored ? platform::WindowState::Normal : platform::WindowState::Minimized);
        QCOMPARE(rig.shell.foreground.size(), foregroundRequests);
        QVERIFY(!rig.window->visible);
        QVERIFY(rig.window->poppedUp.isEmpty());
    }

    void failingAddLeavesTheRecordAsFarAsFilled_data()
    {
        QTest::addColumn<bool>("addedBefore");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QByteArray>("record");

        const QByteArray before = QByteArray::fromHex("58000000 01100000 01000000 07000000"
                                                      "00020000 02200000")
            + QByteArray("Corvanta") + '\0' + QByteArray(55, ' ');
        const QByteArray fresh(88, '\0');
        const auto with = [](QByteArray bytes, int offset, const char *hex) {
            return bytes.replace(offset, 4, QByteArray::fromHex(hex));
        };

        QTest::newRow("fresh, handle")
            << false << QStringLiteral("frmMain.hWnd") << with(fresh, 0, "58000000");
        QTest::newRow("fresh, icon")
            << false << QStringLiteral("frmMain.Icon")
            << with(with(with(with(with(fresh, 0, "58000000"), 4, "03300000"), 8, "01000000"), 12,
                         "07000000"),
                    16, "00020000");
        QTest::newRow("refill, handle") << true << QStringLiteral("frmMain.hWnd") << before;
        QTest::newRow("refill, icon")
            << true << QStringLiteral("frmMain.Icon") << with(before, 4, "03300000");
        QTest::newRow("refill, title") << true << QStringLiteral("App.Title")
                                       << with(with(before, 4, "03300000"), 20, "04400000");
        QTest::newRow("refill, shell")
            << true << QStringLiteral("Shell.Shell_NotifyIconA")
            << with(with(before, 4, "03300000"), 20, "04400000")
                   .replace(24, 64, QByteArray(QByteArray("Renamed", 8) + QByteArray(56, ' ')));
    }
    void failingAddLeavesTheRecordAsFarAsFilled()
    {
        QFETCH(bool, addedBefore);
        QFETCH(QString, failing);
        QFETCH(QByteArray, record);

        Rig rig;
        if (addedBefore) {
            rig.tray->AddIconToTray();
            rig.tray->RemoveIconFromTray();
        }
        rig.window->handle = 0x3003;
        rig.window->icon = 0x4004;
        rig.application.title = QStringLiteral("Renamed");
        rig.faults.failOn(failing);

        QVERIFY_THROWS_EXCEPTION(platform::Error, rig.tray->AddIconToTray());

        QVERIFY(rig.shell.icons.isEmpty());
        rig.faults.clear();
        QCOMPARE(rig.recordNow(), record);
    }

    void usedBeforeBindingFails()
    {
        Faults faults;
        FakeShell shell(faults);
        FakeApplication application(faults);
        CSysTray tray(shell, application);

        QVERIFY_THROWS_EXCEPTION(platform::Error, tray.AddIconToTray());
        QVERIFY_THROWS_EXCEPTION(platform::Error, tray.ShowTrayMenu(0, 0, 517 * 15, 0));
        QVERIFY(shell.requests.isEmpty());

        auto window = std::make_shared<FakeWindow>(faults);
        tray.SetMainTrayForm(window);
        QVERIFY_THROWS_EXCEPTION(platform::Error, tray.ShowTrayMenu(0, 0, 517 * 15, 0));
        QCOMPARE(shell.foreground.size(), 1);
        QVERIFY(window->poppedUp.isEmpty());
    }

    void destructionRemovesTheIconOnceMore()
    {
        Rig rig;
        rig.tray->AddIconToTray();
        const auto added = rig.shell.requests[0].bytes;

        rig.tray.reset();

        QCOMPARE(rig.shell.requests.size(), 2);
        QCOMPARE(rig.shell.requests[1].message, platform::NIM_DELETE);
        QCOMPARE(rig.shell.requests[1].bytes, added);
        QVERIFY(rig.shell.icons.isEmpty());
        QCOMPARE(rig.window.use_count(), 1);
        QCOMPARE(rig.menu.use_count(), 1);
    }

    void destructionSwallowsAFailingRemove()
    {
        Rig rig;
        rig.faults.failOn(QStringLiteral("Shell.Shell_NotifyIconA"));
        rig.tray.reset();
        QCOMPARE(rig.faults.failed().size(), 1);
        QCOMPARE(rig.window.use_count(), 1);
    }

    void settersReleaseThePreviousReference()
    {
        Rig rig;
        QCOMPARE(rig.window.use_count(), 2);
        QCOMPARE(rig.menu.use_count(), 2);

        auto otherWindow = std::make_shared<FakeWindow>(rig.faults);
        auto otherMenu = std::make_shared<FakeMenu>(QStringLiteral("other"));
        rig.tray->SetMainTrayForm(otherWindow);
        rig.tray->SetTrayMenu(otherMenu);

        QCOMPARE(rig.window.use_count(), 1);
        QCOMPARE(rig.menu.use_count(), 1);
        QCOMPARE(otherWindow.use_count(), 2);
        QCOMPARE(otherMenu.use_count(), 2);
    }
};

QTEST_APPLESS_MAIN(tst_CSysTray)
#include "tst_csystray.moc"
