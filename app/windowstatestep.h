#pragma once

#include <functional>

namespace platform {
class IShell;
class IWindow;
} // namespace platform

namespace tray {
class CSysTray;
}

namespace app {

// The first step of every resize of the main window: the icon is there exactly while the window
// is minimised and hidden, the window is hidden only while a notification area is there to hold
// its icon, and a window in the normal state is shown. Each statement is guarded on
// its own; a failure skips that statement only and never leaves run().
class WindowStateStep final
{
public:
    // Hands out the window's one controller, creating it on first use; may throw.
    using TrayController = std::function<tray::CSysTray &()>;

    WindowStateStep(platform::IWindow &window, TrayController trayController,
                    platform::IShell &shell);

    void run();

private:
    void normal();
    void minimised();
    void leaveLostNotificationArea();

    platform::IWindow &m_window;
    TrayController m_trayController;
    platform::IShell &m_shell;
};

} // namespace app
