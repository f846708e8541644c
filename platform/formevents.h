#pragma once

#include <QString>

namespace platform {

// The events a window raises, one at a time on the user-interface thread. Handlers may throw:
// what escapes goes to the toolkit's handling of unhandled errors.
class IFormEvents
{
public:
    IFormEvents() = default;
    IFormEvents(const IFormEvents &) = delete;
    IFormEvents &operator=(const IFormEvents &) = delete;
    virtual ~IFormEvents() = default;

    virtual void Form_Load() = 0;
    // Every size change and window-state change, the first showing, and the notification area
    // going away while it holds an icon of the window (the window may have to come back).
    virtual void Form_Resize() = 0;
    // X and Y in the window's scale units.
    virtual void Form_MouseMove(short Button, short Shift, float X, float Y) = 0;
    // Cancel is passed in as 0; a nonzero value would keep the window.
    virtual void Form_Unload(int &Cancel) = 0;
    // A command button or a menu item, by name.
    virtual void Control_Click(const QString &control) = 0;
    // A text box's text changed, by the user or by SetText.
    virtual void Control_Change(const QString &control) = 0;
};

} // namespace platform
