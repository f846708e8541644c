#include "app/windowstatestep.h"

#include "platform/resumeonerror.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "tray/csystray.h"

namespace app {

WindowStateStep::WindowStateStep(platform::IWindow &window, TrayController trayController,
                                 platform::IShell &shell)
    : m_window(window)
    , m_trayController(std::move(trayController))
    , m_shell(shell)
{ }

void WindowStateStep::run()
{
    auto state = platform::WindowState::Normal;
    // Without the state there is no telling whether the icon or the window is the way back, so
    // both are left as they are.
    if (!platform::resumeOnError([&] { state = m_window.WindowState(); }))
        return;

    switch (state) {
    case platform::WindowState::Normal:
        normal();
        break;
    case platform::WindowState::Minimized:
        minimised();
        break;
    default:
        break;
    }
}

void WindowStateStep::normal()
{
    platform::resumeOnError([&] { m_trayController().RemoveIconFromTray(); });
    bool visible = false;
    // An unreadable Visible counts as hidden: showing a shown window does no harm.
    const bool known = platform::resumeOnError([&] { visible = m_window.Visible(); });
    if (!known || !visible)
        platform::resumeOnError([&] { m_window.Show(); });
}

void WindowStateStep::minimised()
{
    // Hidden without a notification area, the window would be out of reach with the user's text
    // in it; it stays minimised on the taskbar instead. An unanswered question counts as no.
    bool available = false;
    platform::resumeOnError([&] { available = m_shell.NotificationAreaAvailable(); });
    if (!available) {
        leaveLostNotificationArea();
        return;
    }
    platform::resumeOnError([&] { m_trayController().AddIconToTray(); });
    platform::resumeOnError([&] { m_window.Hide(); });
}

void WindowStateStep::leaveLostNotificationArea()
{
    // A hidden minimised window was in a notification area that has since gone, and its icon
    // with it: the window comes back on the taskbar, still minimised, and the record is
    // dropped so that the next minimise adds a fresh icon.
    bool visible = false;
    // Unreadable counts as hidden: showing a minimised window that is shown does no harm.
    const bool known = platform::resumeOnError([&] { visible = m_window.Visible(); });
    if (known && visible)
        return;
    platform::resumeOnError([&] { m_trayController().RemoveIconFromTray(); });
    platform::resumeOnError([&] { m_window.Show(); });
}

} // namespace app
