#include "platform/qt/formwindow.h"

#include "platform/formevents.h"
#include "platform/qt/eventdispatch.h"
#include "platform/qt/picture.h"
#include "platform/qt/traymessageevent.h"
#include "platform/qt/twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QTimer>
#include <QtMath>

namespace platform::qt {

FormWindow::FormWindow(const EventDispatch &dispatch, platform::ScaleMode scaleMode)
    : m_dispatch(dispatch)
    , m_scaleMode(scaleMode)
{ }

void FormWindow::setIcon(const Picture &picture)
{
    m_icon = picture.icon();
    // Taskbars and switchers show at most 64 pixels a side at 1x.
    setWindowIcon(picture.icon(qCeil(64 * devicePixelRatio())));
}

void FormWindow::unload()
{
    if (m_unloading)
        return;
    bool cancel = false;
    m_unloading = true;
    m_dispatch.raise([&](platform::IFormEvents &events) { events.unloadEvent(cancel); });
    if (cancel) {
        m_unloading = false;
        return;
    }
    hide();
    deleteLater();
    QCoreApplication::quit();
}

void FormWindow::setStateRaisingResize(Qt::WindowStates state)
{
    m_suppressStateEvent = true;
    setWindowState(state);
    m_suppressStateEvent = false;
    raiseResize();
}

void FormWindow::frameSettled()
{
    if (m_frameSettled)
        return;
    m_frameSettled = true;
    m_waitingForFrame = false;
    raiseResize();
}

void FormWindow::raiseResize()
{
    m_dispatch.raise([](platform::IFormEvents &events) { events.resizeEvent(); });
}

bool FormWindow::event(QEvent *event)
{
    if (event->type() == TrayMessageEvent::eventType()) {
        const auto message = static_cast<TrayMessageEvent *>(event)->message();
        const float x
            = m_scaleMode == platform::ScaleMode::Pixels ? float(message) : toTwips(int(message));
        m_dispatch.raise([x](platform::IFormEvents &events) { events.mouseMoveEvent(0, 0, x, 0); });
        return true;
    }
    if (event->type() == NotificationAreaLostEvent::eventType()) {
        raiseResize();
        return true;
    }
    return QWidget::event(event);
}

// The outer size, which the layout starts from, includes a frame that the window manager adds
// after it maps the window, and reports a moment later still; Qt's first resize comes before
// either. So the form's first resize waits until the frame is known (Qt then sees the window
// move inside it), or, where no window manager draws one, for a short grace period.
void FormWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_frameSettled)
        raiseResize();
}

void FormWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_frameSettled && !m_waitingForFrame) {
        m_waitingForFrame = true;
        QTimer::singleShot(FrameGracePeriodMs, this, &FormWindow::frameSettled);
    }
}

void FormWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (m_waitingForFrame && frameGeometry() != geometry())
        frameSettled();
}

void FormWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !m_suppressStateEvent)
        raiseResize();
}

void FormWindow::closeEvent(QCloseEvent *event)
{
    if (m_unloading) {
        event->accept();
        return;
    }
    event->ignore();
    unload();
}

} // namespace platform::qt
