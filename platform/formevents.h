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

    virtual void loadEvent() = 0;
    // Every size change and window-state change, the first showing, and the notification area
    // going away while it holds an icon of the window (the window may have to come back).
    virtual void resizeEvent() = 0;
    // x and y in the window's scale units.
    virtual void mouseMoveEvent(short button, short shift, float x, float y) = 0;
    // cancel comes in false; setting it keeps the window.
    virtual void unloadEvent(bool &cancel) = 0;
    // A command button or a menu item, by name.
    virtual void clickEvent(const QString &control) = 0;
    // A text box's text changed, by the user or by SetText.
    virtual void textChangeEvent(const QString &control) = 0;
};

} // namespace platform
