#pragma once

#include "platform/window.h"

#include <QIcon>
#include <QWidget>

namespace platform::qt {

class EventDispatch;
class Picture;

// The form's top-level window: turns Qt's window events into the form's resize, mouse and
// unload events, and decides when the first resize may run.
class FormWindow final : public QWidget
{
public:
    FormWindow(const EventDispatch &dispatch, platform::ScaleMode scaleMode);

    platform::ScaleMode scaleMode() const { return m_scaleMode; }

    // The window's own icon, every rendering included, for the notification area and the like.
    // The window manager is handed the small ones only: X11 sends it every size the window
    // offers, each read and decoded before the window can show.
    void setIcon(const Picture &picture);
    QIcon icon() const { return m_icon; }

    // Raises the unload event; unless cancelled, destroys the window and, with no window left,
    // ends the program. Safe to call again while it runs (the close that follows comes back here).
    void unload();

    // Qt reports no state change for a hidden window, and the restore path relies on a resize
    // event for every state write; raise exactly one either way.
    void setStateRaisingResize(Qt::WindowStates state);

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void frameSettled();
    void raiseResize();

    const EventDispatch &m_dispatch;
    platform::ScaleMode m_scaleMode;
    QIcon m_icon;
    bool m_unloading = false;
    bool m_suppressStateEvent = false;
    bool m_frameSettled = false;
    bool m_waitingForFrame = false;
    static constexpr int FrameGracePeriodMs = 300;
};

} // namespace platform::qt
