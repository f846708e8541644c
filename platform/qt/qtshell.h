#pragma once

#include "platform/shell.h"

#include <functional>
#include <map>
#include <memory>
#include <utility>

class QSystemTrayIcon;

namespace platform::qt {

// The notification area over QSystemTrayIcon: one icon per (hWnd, uID) of the record, whose
// mouse activity goes to the window behind hWnd as a TrayMessageEvent.
class QtShell final : public platform::IShell
{
public:
    // Whether a tray host is there is asked on every add; a test may answer in its place.
    explicit QtShell(std::function<bool()> trayAvailable = defaultTrayAvailable());
    ~QtShell() override;

    int Shell_NotifyIconA(quint32 message, platform::NotifyIconBuffer &data) override;
    int SetForegroundWindow(quint32 hWnd) override;
    bool NotificationAreaAvailable() override;

    // The icon shown for (hWnd, uID), or nullptr.
    QSystemTrayIcon *trayIcon(quint32 hWnd, quint32 uID) const;

private:
    static std::function<bool()> defaultTrayAvailable();

    bool add(quint32 hWnd, quint32 uID, const platform::NotifyIconBuffer &data);

    std::function<bool()> m_trayAvailable;
    std::map<std::pair<quint32, quint32>, std::unique_ptr<QSystemTrayIcon>> m_icons;
};

} // namespace platform::qt
