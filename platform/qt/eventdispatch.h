#pragma once

#include "platform/error.h"
#include "platform/formevents.h"

#include <QString>

#include <exception>
#include <functional>

namespace platform::qt {

// The toolkit's handling of unhandled errors: tells the user, and the program goes on.
using ErrorReporter = std::function<void(const QString &message)>;

// Runs an event handler of the form. This is where errors that a handler lets escape end up:
// shown to the user, and the program goes on (ending it would lose the user's text).
class EventDispatch
{
public:
    EventDispatch(platform::IFormEvents &events, ErrorReporter &report)
        : events(events)
        , m_report(report)
    { }

    template<typename Handler> void raise(Handler &&handler) const
    {
        try {
            handler(events);
        } catch (const platform::Error &error) {
            m_report(error.message());
        } catch (const std::exception &error) {
            m_report(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            m_report(QStringLiteral("Unexpected error"));
        }
    }

    platform::IFormEvents &events;

private:
    ErrorReporter &m_report;
};

} // namespace platform::qt
