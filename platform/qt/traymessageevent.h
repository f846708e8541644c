#pragma once

#include <QEvent>
#include <QtGlobal>

namespace platform::qt {

// What the notification-area substitute posts to a window for mouse activity over its icon:
// the window message number (514, 515, 517, ...). The window turns it into its mouse-move
// event with the number in X, in its own scale units.
class TrayMessageEvent final : public QEvent
{
public:
    explicit TrayMessageEvent(quint32 message)
        : QEvent(eventType())
        , m_message(message)
    { }

    quint32 message() const { return m_message; }

    static QEvent::Type eventType()
    {
        static const auto type = QEvent::Type(QEvent::registerEventType());
        return type;
    }

private:
    quint32 m_message;
};

// What the notification-area substitute posts to a window whose icon went with the notification
// area (its host exited or crashed). The window raises its resize event, whose state step
// decides where a minimised window lives.
class NotificationAreaLostEvent final : public QEvent
{
public:
    NotificationAreaLostEvent()
        : QEvent(eventType())
    { }

    static QEvent::Type eventType()
    {
        static const auto type = QEvent::Type(QEvent::registerEventType());
        return type;
    }
};

} // namespace platform::qt
