#include "platform/qt/qtshell.h"

#include "platform/qt/handletable.h"
#include "platform/qt/ownedwindows.h"
#include "platform/qt/traymessageevent.h"

#include <QApplication>
#include <QDialog>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <memory>

using platform::NotifyIconBuffer;
using platform::qt::HandleTable;
using platform::qt::QtShell;
using platform::qt::TrayMessageEvent;

namespace {

NotifyIconBuffer record(quint32 hWnd, quint32 uID, quint32 hIcon = 0,
                        const QByteArray &tip = QByteArray("Corvanta", 9))
{
    NotifyIconBuffer data {};
    const quint32 fields[] = {88, hWnd, uID, 7, 512, hIcon};
    for (int f = 0; f < 6; ++f)
        for (int b = 0; b < 4; ++b)
            data[4 * f + b] = std::uint8_t(fields[f] >> (8 * b));
    std::copy_n(tip.constData(), std::min<qsizetype>(tip.size(), 64), data.begin() + 24);
    return data;
}

// Collects the tray messages posted to a window, and counts the news of a lost notification area.
class MessageRecorder final : public QObject
{
public:
    QList<quint32> messages;
    int areaLost = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == TrayMessageEvent::eventType())
            messages.append(static_cast<TrayMessageEvent *>(event)->message());
        else if (event->type() == platform::qt::NotificationAreaLostEvent::eventType())
            ++areaLost;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

class tst_QtShell final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        QTRY_VERIFY2(QApplication::topLevelWidgets().isEmpty(), "a top-level widget was leaked");
    }

    void addIsRefusedWithoutATrayHost()
    {
        // The offscreen platform has no notification area.
        QtShell shell;
        QVERIFY(!shell.NotificationAreaAvailable());

        auto data = record(0x100, 1);
        QCOMPARE(shell.Shell_NotifyIconA(platform::NIM_ADD, data), 0);
        QCOMPARE(shell.trayIcon(0x100, 1), nullptr);
    }

    void keepsOneIconPerWindowAndIdentifier()
    {
        QtShell shell([] { return true; });
        auto first = record(0x100, 1);
        auto second = record(0x100, 2);
        auto unknown = record(0x200, 1);

        QCOMPARE(shell.Shell_NotifyIconA(platform::NIM_ADD, first), 1);
        QCOMPARE(shell.Shell_NotifyIconA(platform::NIM_ADD, first), 0);
        QCOMPARE(shell.Shell_NotifyIconA(platform::NIM_ADD, second), 1);
        QCOMPARE(shell.Shell_NotifyIconA(platform::NIM_DELETE, unknown), 0);
        QCOMPARE(shell.Shell_NotifyIconA(platform::NIM_DELETE, first), 1);
        QCOMPARE(shell.Shell_NotifyIconA(platform::NIM_DELETE, first), 0);
        QCOMPARE(shell.trayIcon(0x100, 1), nullptr);
        QVERIFY(shell.trayIcon(0x100, 2));
        QCOMPARE(shell.trayIcon(0x100, 2)->contextMenu(), nullptr);
    }

    void showsTheWindowsIconAndTheTip_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("toolTip");

        const QByteArray letters = QByteArray("0123456789abcdef").repeated(4);
        QTest::newRow("title, NUL, spaces")
            << QByteArray(QByteArray("Corvanta", 9) + QByteArray(55, ' '))
            << QStringLiteral("Corvanta");
        QTest::newRow("spaces before the NUL stay")
            << QByteArray("Corvanta  ", 11) << QStringLiteral("Corvanta  ");
        QTest::newRow("full field, no NUL") << letters << QString::fromLatin1(letters);
        QTest::newRow("Latin-1") << QByteArray("\xe9t\xe9", 4) << QStringLiteral("\u00e9t\u00e9");
        QTest::newRow("empty") << QByteArray(64, '\0') << QString();
    }
    void showsTheWindowsIconAndTheTip()
    {
        QFETCH(QByteArray, field);
        QFETCH(QString, toolTip);

        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::red);
        const QIcon windowIcon(pixmap);
        const quint32 hIcon = HandleTable::registerIcon(windowIcon);
        QtShell shell([] { return true; });
        auto data = record(0x100, 1, hIcon, field);

        QCOMPARE(shell.Shell_NotifyIconA(platform::NIM_ADD, data), 1);

        QSystemTrayIcon *icon = shell.trayIcon(0x100, 1);
        QVERIFY(icon);
        QCOMPARE(icon->toolTip(), toolTip);
        QCOMPARE(icon->icon().cacheKey(), windowIcon.cacheKey());
    }

    void mouseActivityReachesTheWindow_data()
    {
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        QTest::addColumn<QList<quint32>>("messages");

        QTest::newRow("left click") << QSystemTrayIcon::Trigger << QList<quint32> {514};
        QTest::newRow("double-click") << QSystemTrayIcon::DoubleClick << QList<quint32> {515};
        QTest::newRow("context request") << QSystemTrayIcon::Context << QList<quint32> {517};
        QTest::newRow("middle click") << QSystemTrayIcon::MiddleClick << QList<quint32> {520};
        QTest::newRow("unknown") << QSystemTrayIcon::Unknown << QList<quint32> {};
    }
    void mouseActivityReachesTheWindow()
    {
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        QFETCH(QList<quint32>, messages);

        QWidget window;
        MessageRecorder recorder;
        window.installEventFilter(&recorder);
        const quint32 hWnd = HandleTable::registerWindow(&window);
        QtShell shell([] { return true; });
        auto data = record(hWnd, 1);
        QCOMPARE(shell.Shell_NotifyIconA(platform::NIM_ADD, data), 1);

        Q_EMIT shell.trayIcon(hWnd, 1)->activated(reason);
        QVERIFY(recorder.messages.isEmpty());
        QCoreApplication::sendPostedEvents(&window);

        QCOMPARE(recorder.messages, messages);
    }

    void activityAfterTheWindowWentIsDropped()
    {
        auto window = std::make_unique<QWidget>();
        const quint32 hWnd = HandleTable::registerWindow(window.get());
        QtShell shell([] { return true; });
        auto data = record(hWnd, 1);
        shell.Shell_NotifyIconA(platform::NIM_ADD, data);
        window.reset();

        Q_EMIT shell.trayIcon(hWnd, 1)->activated(QSystemTrayIcon::Trigger);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(shell.SetForegroundWindow(hWnd), 0);
    }

    void whenTheNotificationAreaGoesItsIconsGoAndTheirWindowsAreTold()
    {
        QWidget window;
        QWidget bystander;
        MessageRecorder told;
        MessageRecorder bystanderTold;
        window.installEventFilter(&told);
        bystander.installEventFilter(&bystanderTold);
        const quint32 hWnd = HandleTable::registerWindow(&window);
        HandleTable::registerWindow(&bystander);
        bool available = true;
        QtShell shell([&] { return available; }, 10);
        auto first = record(hWnd, 1);
        auto second = record(hWnd, 2);
        shell.Shell_NotifyIconA(platform::NIM_ADD, first);
        shell.Shell_NotifyIconA(platform::NIM_ADD, second);

        available = false;

        QTRY_COMPARE(told.areaLost, 1);
        QCOMPARE(shell.trayIcon(hWnd, 1), nullptr);
        QCOMPARE(shell.trayIcon(hWnd, 2), nullptr);
        QTest::qWait(50);
        QCOMPARE(told.areaLost, 1);
        QCOMPARE(bystanderTold.areaLost, 0);

        // A host that comes back takes new icons.
        available = true;
        QCOMPARE(shell.Shell_NotifyIconA(platform::NIM_ADD, first), 1);
    }

    void foregroundRequestActivatesTheWindow()
    {
        QWidget window;
        QWidget other;
        const quint32 hWnd = HandleTable::registerWindow(&window);
        window.show();
        other.show();
        other.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &other);

        QtShell shell;
        QCOMPARE(shell.SetForegroundWindow(hWnd), 1);

        QTRY_COMPARE(QApplication::activeWindow(), &window);

        // In the notification area, the window stays out of sight.
        window.hide();
        QCOMPARE(shell.SetForegroundWindow(hWnd), 0);
        QVERIFY(!window.isVisible());
    }

    // What the notification-area icon needs of a window minimised with its dialog open: the
    // program's other windows still take clicks, and the window comes back under its dialog.
    void aDialogBlocksItsOwnerAloneAndComesToTheFrontWithIt()
    {
        const platform::qt::OwnerModality modality;
        QPushButton window(QStringLiteral("owner"));
        QPushButton other(QStringLiteral("other"));
        const quint32 hWnd = HandleTable::registerWindow(&window);
        window.show();
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QSignalSpy ownerClicks(&window, &QPushButton::clicked);
        QSignalSpy otherClicks(&other, &QPushButton::clicked);

        QDialog dialog(&window);
        QtShell shell;
        bool ran = false;
        QTimer::singleShot(0, &dialog, [&] {
            const auto click = [](QWidget &w) {
                QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, w.rect().center());
            };
            click(window);
            click(other);
            other.activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), &other);
            QCOMPARE(shell.SetForegroundWindow(hWnd), 1);
            QTRY_COMPARE(QApplication::activeWindow(), &dialog);
            ran = true;
            dialog.reject();
        });
        dialog.exec();

        QVERIFY(ran);
        QCOMPARE(ownerClicks.count(), 0);
        QCOMPARE(otherClicks.count(), 1);
    }
};

QTEST_MAIN(tst_QtShell)
#include "tst_qtshell.moc"
