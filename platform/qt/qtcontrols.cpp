#include "platform/qt/qtcontrols.h"

#include "platform/formevents.h"
#include "platform/qt/eventdispatch.h"
#include "platform/qt/formwindow.h"
#include "platform/qt/handletable.h"

#include <QCursor>
#include <QMenu>
#include <QPlainTextEdit>

#include <algorithm>

namespace platform::qt {

QtTextBox::QtTextBox(QPlainTextEdit *editor, QString name, const EventDispatch &dispatch)
    : QtControlOf(editor, std::move(name))
    , m_dispatch(dispatch)
{
    QObject::connect(editor, &QPlainTextEdit::textChanged, editor, [this] {
        if (m_setting)
            return;
        m_exact.reset();
        raiseChange();
    });
}

QString QtTextBox::Text()
{
    auto *text = editor();
    return m_exact ? *m_exact : text->toPlainText();
}

void QtTextBox::SetText(const QString &value)
{
    auto *text = editor();
    m_setting = true;
    text->setPlainText(value);
    m_setting = false;
    m_exact = value;
    raiseChange();
}

QPlainTextEdit *QtTextBox::editor() const
{
    return static_cast<QPlainTextEdit *>(widget());
}

void QtTextBox::raiseChange()
{
    const QString name = m_name;
    m_dispatch.raise([&name](platform::IFormEvents &events) { events.Control_Change(name); });
}

QtWindow::QtWindow(FormWindow *window)
    : m_window(window)
    , m_name(window->objectName())
    , m_handle(HandleTable::registerWindow(window))
    , m_icon(HandleTable::registerIcon(window->windowIcon()))
{ }

quint32 QtWindow::hWnd()
{
    window();
    return m_handle;
}

float QtWindow::Width()
{
    return toTwips(window()->frameGeometry().width());
}

void QtWindow::SetWidth(float v)
{
    auto *w = window();
    const int frame = w->frameGeometry().width() - w->width();
    w->resize(std::max(1, toPixels(v) - frame), w->height());
}

float QtWindow::Height()
{
    return toTwips(window()->frameGeometry().height());
}

void QtWindow::SetHeight(float v)
{
    auto *w = window();
    const int frame = w->frameGeometry().height() - w->height();
    w->resize(w->width(), std::max(1, toPixels(v) - frame));
}

int QtWindow::WindowState()
{
    const auto state = window()->windowState();
    if (state & Qt::WindowMinimized)
        return platform::vbMinimized;
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return platform::vbMaximized;
    return platform::vbNormal;
}

void QtWindow::SetWindowState(int state)
{
    Qt::WindowStates qtState = Qt::WindowNoState;
    if (state == platform::vbMinimized)
        qtState = Qt::WindowMinimized;
    else if (state == platform::vbMaximized)
        qtState = Qt::WindowMaximized;
    else if (state != platform::vbNormal)
        throw Error(QStringLiteral("Invalid property value"), 380);
    window()->setStateRaisingResize(qtState);
}

bool QtWindow::Visible()
{
    return window()->isVisible();
}

void QtWindow::Show()
{
    window()->show();
}

void QtWindow::Hide()
{
    window()->hide();
}

int QtWindow::ScaleMode()
{
    return window()->scaleMode();
}

quint32 QtWindow::Icon()
{
    window();
    return m_icon;
}

void QtWindow::PopupMenu(platform::IMenu &menu)
{
    window();
    auto *qtMenu = dynamic_cast<QtMenu *>(&menu);
    if (!qtMenu || !qtMenu->menu())
        throw Error(QStringLiteral("Invalid procedure call or argument"), 5);
    qtMenu->menu()->exec(QCursor::pos());
}

void QtWindow::Unload()
{
    window()->unload();
}

FormWindow *QtWindow::window() const
{
    if (!m_window)
        throwUnreachable(m_name);
    return m_window;
}

} // namespace platform::qt
