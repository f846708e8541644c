#include "platform/qt/qtshell.h"

#include "platform/qt/handletable.h"
#include "platform/qt/traymessageevent.h"

#include <QCoreApplication>
#include <QSystemTrayIcon>
#include <QWidget>

#include <algorithm>
#include <optional>

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

} // namespace

QtShell::QtShell(std::function<bool()> trayAvailable)
    : m_trayAvailable(std::move(trayAvailable))
{ }

QtShell::~QtShell() = default;

std::function<bool()> QtShell::defaultTrayAvailable()
{
    return [] {
        return QSystemTrayIcon::isSystemTrayAvailable();
    };
}

int QtShell::Shell_NotifyIconA(quint32 message, platform::NotifyIconBuffer &data)
{
    const quint32 hWnd = notifyIconField(data, NotifyIconHWndOffset);
    const quint32 uID = notifyIconField(data, NotifyIconUIDOffset);
    switch (message) {
    case platform::NIM_ADD:
        return add(hWnd, uID, data) ? 1 : 0;
    case platform::NIM_DELETE:
        return m_icons.erase({hWnd, uID}) ? 1 : 0;
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
    return true;
}

int QtShell::SetForegroundWindow(quint32 hWnd)
{
    QWidget *window = HandleTable::window(hWnd);
    if (!window)
        return 0;
    window->raise();
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
