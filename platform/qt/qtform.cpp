#include "platform/qt/qtform.h"

#include "platform/error.h"
#include "platform/formevents.h"
#include "platform/qt/handletable.h"
#include "platform/qt/qtapplication.h"
#include "platform/qt/traymessageevent.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWindowStateChangeEvent>

#include <algorithm>
#include <map>

namespace platform::qt {

namespace {

int toPixels(float twips)
{
    return qRound(twips / QtApplication::twipsPerPixel());
}

float toTwips(int pixels)
{
    return float(pixels) * QtApplication::twipsPerPixel();
}

[[noreturn]] void throwUnreachable(const QString &name)
{
    throw Error(QStringLiteral("Object '%1' is no longer available.").arg(name), 91);
}

} // namespace

// Runs an event handler of the form. This is where errors that a handler lets escape end up:
// shown to the user, and the program goes on (ending it would lose the user's text).
class EventDispatch
{
public:
    EventDispatch(platform::IFormEvents &events, QtForm::ErrorReporter &report)
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
    QtForm::ErrorReporter &m_report;
};

class FormWindow final : public QWidget
{
public:
    FormWindow(const EventDispatch &dispatch, int scaleMode)
        : m_dispatch(dispatch)
        , m_scaleMode(scaleMode)
    { }

    int scaleMode() const { return m_scaleMode; }

    // Raises the unload event; unless cancelled, destroys the window and, with no window left,
    // ends the program. Safe to call again while it runs (the close that follows comes back here).
    void unload()
    {
        if (m_unloading)
            return;
        int cancel = 0;
        m_unloading = true;
        m_dispatch.raise([&](platform::IFormEvents &events) { events.Form_Unload(cancel); });
        if (cancel != 0) {
            m_unloading = false;
            return;
        }
        hide();
        deleteLater();
        QCoreApplication::quit();
    }

    // Qt reports no state change for a hidden window, and the restore path relies on a resize
    // event for every state write; raise exactly one either way.
    void setStateRaisingResize(Qt::WindowStates state)
    {
        m_suppressStateEvent = true;
        setWindowState(state);
        m_suppressStateEvent = false;
        raiseResize();
    }

    void frameSettled()
    {
        if (m_frameSettled)
            return;
        m_frameSettled = true;
        m_waitingForFrame = false;
        raiseResize();
    }

    void raiseResize()
    {
        m_dispatch.raise([](platform::IFormEvents &events) { events.Form_Resize(); });
    }

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == TrayMessageEvent::eventType()) {
            const auto message = static_cast<TrayMessageEvent *>(event)->message();
            const float x
                = m_scaleMode == platform::vbPixels ? float(message) : toTwips(int(message));
            m_dispatch.raise(
                [x](platform::IFormEvents &events) { events.Form_MouseMove(0, 0, x, 0); });
            return true;
        }
        if (event->type() == NotificationAreaLostEvent::eventType()) {
            raiseResize();
            return true;
        }
        return QWidget::event(event);
    }

    // The outer size, which the layout starts from, includes a frame that the window manager
    // adds after it maps the window, and reports a moment later still; Qt's first resize comes
    // before either. So the form's first resize waits until the frame is known (Qt then sees the
    // window move inside it), or, where no window manager draws one, for a short grace period.
    void resizeEvent(QResizeEvent *event) override
    {
        QWidget::resizeEvent(event);
        if (m_frameSettled)
            raiseResize();
    }

    void showEvent(QShowEvent *event) override
    {
        QWidget::showEvent(event);
        if (!m_frameSettled && !m_waitingForFrame) {
            m_waitingForFrame = true;
            QTimer::singleShot(FrameGracePeriodMs, this, &FormWindow::frameSettled);
        }
    }

    void moveEvent(QMoveEvent *event) override
    {
        QWidget::moveEvent(event);
        if (m_waitingForFrame && frameGeometry() != geometry())
            frameSettled();
    }

    void changeEvent(QEvent *event) override
    {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::WindowStateChange && !m_suppressStateEvent)
            raiseResize();
    }

    void closeEvent(QCloseEvent *event) override
    {
        if (m_unloading) {
            event->accept();
            return;
        }
        event->ignore();
        unload();
    }

private:
    const EventDispatch &m_dispatch;
    int m_scaleMode;
    bool m_unloading = false;
    bool m_suppressStateEvent = false;
    bool m_frameSettled = false;
    bool m_waitingForFrame = false;
    static constexpr int FrameGracePeriodMs = 300;
};

// Geometry and visibility of any widget, in twips; fails once the widget is gone.
template<typename Interface> class QtControlOf : public Interface
{
public:
    QtControlOf(QWidget *widget, QString name)
        : m_widget(widget)
        , m_name(std::move(name))
    { }

    float Left() override { return toTwips(widget()->x()); }
    void SetLeft(float v) override { widget()->move(toPixels(v), widget()->y()); }
    float Top() override { return toTwips(widget()->y()); }
    void SetTop(float v) override { widget()->move(widget()->x(), toPixels(v)); }
    float Width() override { return toTwips(widget()->width()); }
    void SetWidth(float v) override { widget()->resize(toPixels(v), widget()->height()); }
    float Height() override { return toTwips(widget()->height()); }
    void SetHeight(float v) override { widget()->resize(widget()->width(), toPixels(v)); }
    // The control's own setting, not whether its window happens to be on screen.
    bool Visible() override { return !widget()->isHidden(); }
    void SetVisible(bool visible) override { widget()->setVisible(visible); }

protected:
    QWidget *widget() const
    {
        if (!m_widget)
            throwUnreachable(m_name);
        return m_widget;
    }

    QPointer<QWidget> m_widget;
    QString m_name;
};

using QtControl = QtControlOf<platform::IControl>;

// Keeps the exact text it was given, since the editor's document normalises line breaks and
// some characters; what the user types replaces it.
class QtTextBox final : public QtControlOf<platform::ITextBox>
{
public:
    QtTextBox(QPlainTextEdit *editor, QString name, const EventDispatch &dispatch)
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

    QString Text() override
    {
        auto *text = editor();
        return m_exact ? *m_exact : text->toPlainText();
    }

    void SetText(const QString &value) override
    {
        auto *text = editor();
        m_setting = true;
        text->setPlainText(value);
        m_setting = false;
        m_exact = value;
        raiseChange();
    }

private:
    QPlainTextEdit *editor() const { return static_cast<QPlainTextEdit *>(widget()); }
    void raiseChange()
    {
        const QString name = m_name;
        m_dispatch.raise([&name](platform::IFormEvents &events) { events.Control_Change(name); });
    }

    const EventDispatch &m_dispatch;
    std::optional<QString> m_exact;
    bool m_setting = false;
};

class QtMenu final : public platform::IMenu
{
public:
    explicit QtMenu(QMenu *menu)
        : m_menu(menu)
    { }
    QMenu *menu() const { return m_menu; }

private:
    QPointer<QMenu> m_menu;
};

class QtWindow final : public platform::IWindow
{
public:
    explicit QtWindow(FormWindow *window)
        : m_window(window)
        , m_name(window->objectName())
        , m_handle(HandleTable::registerWindow(window))
        , m_icon(HandleTable::registerIcon(window->windowIcon()))
    { }

    quint32 hWnd() override
    {
        window();
        return m_handle;
    }
    float Width() override { return toTwips(window()->frameGeometry().width()); }
    void SetWidth(float v) override
    {
        auto *w = window();
        const int frame = w->frameGeometry().width() - w->width();
        w->resize(std::max(1, toPixels(v) - frame), w->height());
    }
    float Height() override { return toTwips(window()->frameGeometry().height()); }
    void SetHeight(float v) override
    {
        auto *w = window();
        const int frame = w->frameGeometry().height() - w->height();
        w->resize(w->width(), std::max(1, toPixels(v) - frame));
    }
    int WindowState() override
    {
        const auto state = window()->windowState();
        if (state & Qt::WindowMinimized)
            return platform::vbMinimized;
        if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
            return platform::vbMaximized;
        return platform::vbNormal;
    }
    void SetWindowState(int state) override
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
    bool Visible() override { return window()->isVisible(); }
    void Show() override { window()->show(); }
    void Hide() override { window()->hide(); }
    int ScaleMode() override { return window()->scaleMode(); }
    quint32 Icon() override
    {
        window();
        return m_icon;
    }
    void PopupMenu(platform::IMenu &menu) override
    {
        window();
        auto *qtMenu = dynamic_cast<QtMenu *>(&menu);
        if (!qtMenu || !qtMenu->menu())
            throw Error(QStringLiteral("Invalid procedure call or argument"), 5);
        qtMenu->menu()->exec(QCursor::pos());
    }
    void Unload() override { window()->unload(); }

private:
    FormWindow *window() const
    {
        if (!m_window)
            throwUnreachable(m_name);
        return m_window;
    }

    QPointer<FormWindow> m_window;
    QString m_name;
    quint32 m_handle;
    quint32 m_icon;
};

QtForm::QtForm(const platform::FormDescription &description, platform::IFormEvents &events)
    : m_events(events)
    , m_reportError([this](const QString &message) {
        QMessageBox::critical(m_window, QCoreApplication::applicationName(), message);
    })
{
    build(description);
}

QtForm::~QtForm()
{
    delete m_window;
}

void QtForm::setErrorReporter(ErrorReporter reporter)
{
    m_reportError = std::move(reporter);
}

QWidget *QtForm::widget() const
{
    return m_window;
}

std::shared_ptr<platform::IWindow> QtForm::window()
{
    return m_windowObject;
}

std::shared_ptr<platform::ITextBox> QtForm::textBox(const QString &name)
{
    auto found = m_textBoxes.value(name);
    if (!found)
        throw Error(QStringLiteral("Control '%1' not found").arg(name), 730);
    return found;
}

std::shared_ptr<platform::IControl> QtForm::control(const QString &name)
{
    if (auto text = m_textBoxes.value(name))
        return text;
    auto found = m_controls.value(name);
    if (!found)
        throw Error(QStringLiteral("Control '%1' not found").arg(name), 730);
    return found;
}

std::shared_ptr<platform::IMenu> QtForm::menu(const QString &name)
{
    auto found = m_menus.value(name);
    if (!found)
        throw Error(QStringLiteral("Control '%1' not found").arg(name), 730);
    return found;
}

void QtForm::Load()
{
    m_dispatch->raise([](platform::IFormEvents &events) { events.Form_Load(); });
    if (!m_window)
        return;
    m_window->show();
    if (auto *first = m_window->findChild<QWidget *>(m_firstInTabOrder))
        first->setFocus(Qt::OtherFocusReason);
}

void QtForm::build(const platform::FormDescription &description)
{
    m_dispatch = std::make_unique<EventDispatch>(m_events, m_reportError);
    auto *window = new FormWindow(*m_dispatch, description.scaleMode);
    m_window = window;
    window->setObjectName(description.name);
    window->setWindowTitle(description.caption);
    if (!description.icon.isEmpty())
        window->setWindowIcon(QIcon(description.icon));

    std::map<int, QWidget *> tabOrder;
    QHash<QString, QWidget *> byName;
    QList<QWidget *> created;
    for (const auto &control : description.controls) {
        QWidget *parent = control.parent.isEmpty() ? window : byName.value(control.parent, window);
        QWidget *widget = createControl(control, parent);
        byName.insert(control.name, widget);
        created.append(widget);
        if (control.tabIndex >= 0 && widget->focusPolicy() != Qt::NoFocus)
            tabOrder.emplace(control.tabIndex, widget);
    }
    // Qt stacks later siblings on top; the description wants the earlier created above.
    std::for_each(created.rbegin(), created.rend(), [](QWidget *widget) { widget->raise(); });

    QWidget *previous = nullptr;
    for (const auto &[index, widget] : tabOrder) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        else
            m_firstInTabOrder = widget->objectName();
        previous = widget;
    }

    QMenuBar *menuBar = nullptr;
    for (const auto &menuDescription : description.menus) {
        auto *menu = new QMenu(menuDescription.caption, window);
        menu->setObjectName(menuDescription.name);
        for (const auto &item : menuDescription.items) {
            QAction *action = menu->addAction(item.caption);
            action->setObjectName(item.name);
            action->setVisible(item.visible);
            const QString name = item.name;
            QObject::connect(action, &QAction::triggered, window, [this, name] {
                m_dispatch->raise(
                    [&name](platform::IFormEvents &events) { events.Control_Click(name); });
            });
        }
        if (menuDescription.visible) {
            if (!menuBar)
                menuBar = new QMenuBar(window);
            menuBar->addMenu(menu);
        }
        m_menus.insert(menuDescription.name, std::make_shared<QtMenu>(menu));
    }

    const QSize client(toPixels(description.clientWidth),
                       toPixels(description.clientHeight) + (menuBar ? menuBar->height() : 0));
    window->resize(client);
    if (!description.sizable)
        window->setFixedSize(client);
    if (description.centreOnScreen) {
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            window->move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, client,
                                             screen->availableGeometry())
                             .topLeft());
    }
    fitCaptionsToButtons(window);
    m_windowObject = std::make_shared<QtWindow>(window);
}

// Button sizes are fixed in twips, chosen for a narrow 8-point system font; desktop fonts are
// often wider. Rather than cut captions off, the window's font steps down until every button
// caption fits, but never below a legible size.
void QtForm::fitCaptionsToButtons(QWidget *window)
{
    const auto buttons = window->findChildren<QPushButton *>();
    const auto fits = [&buttons](const QFont &font) {
        const QFontMetrics metrics(font);
        return std::all_of(buttons.begin(), buttons.end(), [&metrics](QPushButton *button) {
            const int margin
                = 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
            return metrics.horizontalAdvance(button->text()) + margin <= button->width();
        });
    };
    QFont font = window->font();
    if (font.pointSizeF() <= 0)
        return;
    while (!fits(font) && font.pointSizeF() > MinimumFontPoints)
        font.setPointSizeF(std::max(MinimumFontPoints, font.pointSizeF() - 0.5));
    if (font != window->font())
        window->setFont(font);
}

QWidget *QtForm::createControl(const platform::ControlDescription &control, QWidget *parent)
{
    QWidget *widget = nullptr;
    switch (control.kind) {
    case platform::ControlKind::PictureBox: {
        auto *panel = new QFrame(parent);
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setAutoFillBackground(true);
        panel->setBackgroundRole(QPalette::Window);
        widget = panel;
        break;
    }
    case platform::ControlKind::Label:
        widget = new QLabel(control.caption, parent);
        break;
    case platform::ControlKind::Image: {
        auto *image = new QLabel(parent);
        image->setPixmap(QPixmap(control.picture));
        widget = image;
        break;
    }
    case platform::ControlKind::CommandButton: {
        auto *button = new QPushButton(control.caption, parent);
        button->setAutoDefault(false);
        button->setDefault(false);
        const QString name = control.name;
        QObject::connect(button, &QPushButton::clicked, button, [this, name] {
            m_dispatch->raise(
                [&name](platform::IFormEvents &events) { events.Control_Click(name); });
        });
        widget = button;
        break;
    }
    case platform::ControlKind::TextBox: {
        auto *editor = new QPlainTextEdit(parent);
        editor->setPlainText(control.caption);
        editor->setTabChangesFocus(true);
        editor->setLineWrapMode(control.multiLine ? QPlainTextEdit::WidgetWidth
                                                  : QPlainTextEdit::NoWrap);
        editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        editor->setVerticalScrollBarPolicy(control.verticalScrollBar ? Qt::ScrollBarAlwaysOn
                                                                     : Qt::ScrollBarAlwaysOff);
        m_textBoxes.insert(control.name,
                           std::make_shared<QtTextBox>(editor, control.name, *m_dispatch));
        widget = editor;
        break;
    }
    }
    // Only buttons and text boxes take the focus; panels, labels and images never do.
    if (control.kind != platform::ControlKind::CommandButton
        && control.kind != platform::ControlKind::TextBox)
        widget->setFocusPolicy(Qt::NoFocus);
    widget->setObjectName(control.name);
    if (control.font) {
        QFont font(control.font->name);
        font.setPointSizeF(control.font->sizePoints);
        font.setWeight(QFont::Weight(control.font->weight));
        font.setItalic(control.font->italic);
        font.setUnderline(control.font->underline);
        font.setStrikeOut(control.font->strikethrough);
        widget->setFont(font);
    }
    widget->setGeometry(toPixels(control.left), toPixels(control.top), toPixels(control.width),
                        toPixels(control.height));
    if (control.kind != platform::ControlKind::TextBox)
        m_controls.insert(control.name, std::make_shared<QtControl>(widget, control.name));
    return widget;
}

} // namespace platform::qt
