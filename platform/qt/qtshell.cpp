#include "platform/qt/qtshell.h"

#include "platform/qt/handletable.h"
#include "platform/qt/ownedwindows.h"
#include "platform/qt/traymessageevent.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <optional>
#include <vector>

namespace platform::qt {

namespace {

// Up to the first NUL, but a full field has none: never read past its last byte.
QString tipOf(const platform::NotifyIconBuffer &data)
{
    const auto begin = data.begin() + NotifyIconTipOffset;
    const auto end = std::find(begin, begin + NotifyIconTipLength, std::uint8_t(0));
    return QString::fromLatin1(reinterpret_cast<const char *>(&*begin), end - begin);
}

std::optional<quint32> messageFor(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return WM_LBUTTONUP;
    case QSystemTrayIcon::DoubleClick:
        return WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::Context:
        return WM_RBUTTONUP;
    case QSystemTrayIcon::MiddleClick:
        return WM_MBUTTONUP;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return std::nullopt;
}

// Whether the StatusNotifierItem watcher on the session bus has a host to show its items, or
// nothing when there is no watcher. Qt asks for the watcher only, but on KDE Plasma the watcher
// (in kded) outlives the host (the panel): with the panel gone, an item is shown nowhere.
std::optional<bool> statusNotifierHostRegistered()
{
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusMessage get = QDBusMessage::createMethodCall(
        watcher, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({watcher, QStringLiteral("IsStatusNotifierHostRegistered")});
    get.setAutoStartService(false);
    // Asked on the user-interface thread: a watcher that hangs must not freeze the window.
    constexpr int TimeoutMs = 250;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, TimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

} // namespace

QtShell::QtShell(std::function<bool()> trayAvailable, int watchIntervalMs)
    : m_trayAvailable(std::move(trayAvailable))
    , m_areaWatch(std::make_unique<QTimer>())
{
    // Qt tells neither an icon nor its program when the host goes: an XEmbed icon just loses its
    // parent, a StatusNotifierItem its watcher. So the question is asked again while an icon is
    // out, and only then.
    m_areaWatch->setInterval(watchIntervalMs);
    QObject::connect(m_areaWatch.get(), &QTimer::timeout, m_areaWatch.get(),
                     [this] { checkArea(); });
}

QtShell::~QtShell() = default;

std::function<bool()> QtShell::defaultTrayAvailable()
{
    return [] {
        // xdg-shell has no minimised state: a natively Wayland window is never told that it was
        // minimised, so it never hides in the notification area either.
        if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
            return false;
        return QSystemTrayIcon::isSystemTrayAvailable()
            && statusNotifierHostRegistered().value_or(true);
    };
}

int QtShell::Shell_NotifyIconA(quint32 message, platform::NotifyIconBuffer &data)
{
    const quint32 hWnd = notifyIconField(data, NotifyIconHWndOffset);
    const quint32 uID = notifyIconField(data, NotifyIconUIDOffset);
    switch (message) {
    case platform::NIM_ADD:
        return add(hWnd, uID, data) ? 1 : 0;
    case platform::NIM_DELETE: {
        const bool erased = m_icons.erase({hWnd, uID}) != 0;
        watch();
        return erased ? 1 : 0;
    }
    default:
        return 0;
    }
}

bool QtShell::add(quint32 hWnd, quint32 uID, const platform::NotifyIconBuffer &data)
{
    if (m_icons.contains({hWnd, uID}) || !m_trayAvailable())
        return false;

    const quint32 flags = notifyIconField(data, NotifyIconFlagsOffset);
    auto icon = std::make_unique<QSystemTrayIcon>();
    // The application pops up its own menu on WM_RBUTTONUP; a menu of the icon's own would come up
    // too.
    icon->setContextMenu(nullptr);
    if (flags & NIF_ICON)
        icon->setIcon(HandleTable::icon(notifyIconField(data, NotifyIconIconOffset)));
    if (flags & NIF_TIP)
        icon->setToolTip(tipOf(data));
    if (flags & NIF_MESSAGE) {
        QObject::connect(icon.get(), &QSystemTrayIcon::activated, icon.get(),
                         [hWnd](QSystemTrayIcon::ActivationReason reason) {
                             const auto message = messageFor(reason);
                             // Posted, not sent: the window's handlers must not run inside
                             // the tray host's event delivery.
                             if (QWidget *window = HandleTable::window(hWnd); window && message)
                                 QCoreApplication::postEvent(window,
                                                             new TrayMessageEvent(*message));
                         });
    }
    icon->show();
    m_icons.emplace(std::make_pair(hWnd, uID), std::move(icon));
    watch();
    return true;
}

void QtShell::watch()
{
    if (m_icons.empty())
        m_areaWatch->stop();
    else if (!m_areaWatch->isActive())
        m_areaWatch->start();
}

void QtShell::checkArea()
{
    if (m_icons.empty() || m_trayAvailable())
        return;
    // A host that comes back could show a kept icon again on its own (Qt re-embeds an XEmbed
    // one) behind the window's back; dropped, the next add starts over.
    std::vector<quint32> windows;
    for (const auto &entry : m_icons)
        windows.push_back(entry.first.first);
    m_icons.clear();
    watch();
    windows.erase(std::unique(windows.begin(), windows.end()), windows.end());
    for (const quint32 hWnd : windows) {
        if (QWidget *window = HandleTable::window(hWnd))
            QCoreApplication::postEvent(window, new NotificationAreaLostEvent);
    }
}

int QtShell::SetForegroundWindow(quint32 hWnd)
{
    QWidget *window = HandleTable::window(hWnd);
    // A hidden window (in the notification area) cannot come to the front. Bringing its dialog
    // back here, as the icon's menu opens, would activate the dialog under the menu just shown,
    // and the menu closes; the window brings its dialogs back once it is shown again.
    if (!window || !window->isVisible())
        return 0;
    window->raise();
    // With a dialog open the window takes no input: the dialog comes to the front instead, as
    // it does where a dialog disables its owner.
    if (!bringBackModalWindows(window))
        window->activateWindow();
    return 1;
}

bool QtShell::NotificationAreaAvailable()
{
    return m_trayAvailable();
}

QSystemTrayIcon *QtShell::trayIcon(quint32 hWnd, quint32 uID) const
{
    const auto it = m_icons.find({hWnd, uID});
    return it == m_icons.end() ? nullptr : it->second.get();
}

} // namespace platform::qt
