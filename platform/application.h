#pragma once

#include <QString>

namespace platform {

// The screen and the running application.
class IApplication
{
public:
    IApplication() = default;
    IApplication(const IApplication &) = delete;
    IApplication &operator=(const IApplication &) = delete;
    virtual ~IApplication() = default;

    virtual float TwipsPerPixelX() = 0;
    // The application title, "Corvanta".
    virtual QString Title() = 0;
    // Handles every message already queued for the user-interface thread, then returns.
    virtual void processPendingEvents() = 0;
    // Tells the user something in a message box over the active window; returns once it is
    // closed.
    virtual void showMessage(const QString &text) = 0;
};

} // namespace platform
