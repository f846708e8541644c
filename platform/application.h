#pragma once

#include <QString>
#include <QtGlobal>

namespace platform {

// A question with two answers beside Cancel, each button captioned by the asker.
struct Question
{
    QString text;
    // Shown under the text, as it is; empty for none.
    QString details;
    QString accept;
    QString decline;
};

enum class Answer { Accept, Decline, Cancel };

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
    // Asks in a message box owned by the window `owner` (over the active window when no window
    // has that handle); returns once it is closed, with Cancel when closed without an answer.
    virtual Answer ask(quint32 owner, const Question &question) = 0;
};

} // namespace platform
