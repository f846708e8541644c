#pragma once

#include <QString>
#include <QtGlobal>

namespace platform {

// A menu that can be popped up on a window. Opaque to its users.
class IMenu
{
public:
    IMenu() = default;
    IMenu(const IMenu &) = delete;
    IMenu &operator=(const IMenu &) = delete;
    virtual ~IMenu() = default;
};

enum class WindowState { Normal, Minimized, Maximized };
// The unit of the pointer positions a window hands its mouse-move handler.
enum class ScaleMode { Twips, Pixels };

// A top-level window. Geometry in twips, single precision; Width and Height are the outer size,
// frame and title bar included. Every operation may throw platform::Error.
class IWindow
{
public:
    IWindow() = default;
    IWindow(const IWindow &) = delete;
    IWindow &operator=(const IWindow &) = delete;
    virtual ~IWindow() = default;

    // Nonzero and constant for the window's life.
    virtual quint32 hWnd() = 0;

    virtual float Width() = 0;
    // Raises the resize event again, at once or later.
    virtual void SetWidth(float twips) = 0;
    virtual float Height() = 0;
    virtual void SetHeight(float twips) = 0;

    // Qualified throughout: inside a window the bare name is the getter.
    virtual platform::WindowState WindowState() = 0;
    // Raises the resize event, also for a hidden window.
    virtual void SetWindowState(platform::WindowState state) = 0;

    virtual bool Visible() = 0;
    // Modeless.
    virtual void Show() = 0;
    // Takes the window off the screen and the taskbar.
    virtual void Hide() = 0;

    virtual platform::ScaleMode ScaleMode() = 0;
    // Handle of the window's own icon (its default value).
    virtual quint32 Icon() = 0;

    // At the pointer; returns after the choice or dismissal, with the chosen item's Click run.
    virtual void PopupMenu(IMenu &menu) = 0;

    // Raises the unload event, then destroys the window; the system ends when none remains.
    virtual void Unload() = 0;
};

} // namespace platform
