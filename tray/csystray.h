#pragma once

#include "tray/notifyicondata.h"

#include <memory>

namespace platform {
class IApplication;
class IMenu;
class IShell;
class IWindow;
} // namespace platform

namespace tray {

// Owns the window's one notification-area icon: adds and removes it when told, and turns the
// mouse messages the icon sends back (as mouse-move X) into a restore or the tray menu. Never
// decides by itself when the icon is shown, and never looks at what the shell answers.
// Every operation passes a failing platform operation on as platform::Error.
class CSysTray final
{
public:
    CSysTray(platform::IShell &shell, platform::IApplication &application);
    // Removes the icon once more, so it never outlives the controller.
    ~CSysTray();
    CSysTray(const CSysTray &) = delete;
    CSysTray &operator=(const CSysTray &) = delete;

    // Needs the window bound first.
    void AddIconToTray();
    // Sends the record as the last add left it (all zero before any add).
    void RemoveIconFromTray();
    // Takes the four values of the window's mouse-move event; only X is read.
    // Needs the window bound first, and the menu too for a right-button release.
    void ShowTrayMenu(short Button, short Shift, float X, float Y);

    void SetMainTrayForm(std::shared_ptr<platform::IWindow> frmMain);
    void SetTrayMenu(std::shared_ptr<platform::IMenu> mnuTray);

private:
    void notify(quint32 message);
    platform::IWindow &boundWindow() const;

    NOTIFYICONDATA TrayIconData;
    std::shared_ptr<platform::IWindow> MainTrayForm;
    std::shared_ptr<platform::IMenu> TrayMenu;

    platform::IShell &m_shell;
    platform::IApplication &m_application;
};

} // namespace tray
