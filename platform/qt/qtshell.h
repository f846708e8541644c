#pragma once

#include "platform/shell.h"

#include <functional>
#include <map>
#include <memory>
#include <utility>

class QSystemTrayIcon;
class QTimer;

namespace platform::qt {

// The notification area over QSystemTrayIcon: one icon per (hWnd, uID) of the record, whose
// mouse activity goes to the window behind hWnd as a TrayMessageEvent. When the notification
// area goes away (its host exits or crashes), its icons are dropped and each of their windows
// gets a NotificationAreaLostEvent.
class QtShell final : public platform::IShell
{
public:
    // Whether a tray host is there is asked on every add, and every watchIntervalMs while an
    // icon is shown; a test may answer in its place.
    explicit QtShell(std::function<bool()> trayAvailable = defaultTrayAvailable(),
                     int watchIntervalMs = 500);
    ~QtShell() override;

    int Shell_NotifyIconA(quint32 message, platform::NotifyIconBuffer &data) override;
    int SetForegroundWindow(quint32 hWnd) override;
    bool NotificationAreaAvailable() override;

    // The icon shown for (hWnd, uID), or nullptr.
    QSystemTrayIcon *trayIcon(quint32 hWnd, quint32 uID) const;

private:
    static std::function<bool()> defaultTrayAvailable();

    bool add(quint32 hWnd, quint32 uID, const platform::NotifyIconBuffer &data);
    void watch();
    void checkArea();

    std::function<bool()> m_trayAvailable;
    std::unique_ptr<QTimer> m_areaWatch;
    std::map<std::pair<quint32, quint32>, std::unique_ptr<QSystemTrayIcon>> m_icons;
};

} // namespace platform::qt
