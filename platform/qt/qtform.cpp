#include "platform/qt/qtform.h"

#include "platform/error.h"
#include "platform/formevents.h"
#include "platform/qt/eventdispatch.h"
#include "platform/qt/formwindow.h"
#include "platform/qt/picture.h"
#include "platform/qt/qtcontrols.h"
#include "platform/qt/twips.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <map>

namespace platform::qt {

namespace {

// Enter and the keypad's Enter press the focused button, as on every desktop; the window has no
// default button, so nothing else answers them.
class FormButton final : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            && modifiers == Qt::NoModifier) {
            event->accept();
            animateClick();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

} // namespace

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
        throw Error(QStringLiteral("Control '%1' not found").arg(name));
    return found;
}

std::shared_ptr<platform::IControl> QtForm::control(const QString &name)
{
    if (auto text = m_textBoxes.value(name))
        return text;
    auto found = m_controls.value(name);
    if (!found)
        throw Error(QStringLiteral("Control '%1' not found").arg(name));
    return found;
}

std::shared_ptr<platform::IMenu> QtForm::menu(const QString &name)
{
    auto found = m_menus.value(name);
    if (!found)
        throw Error(QStringLiteral("Control '%1' not found").arg(name));
    return found;
}

void QtForm::Load()
{
    m_dispatch->raise([](platform::IFormEvents &events) { events.loadEvent(); });
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
        window->setIcon(Picture(description.icon));

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
    // A panel over a text box is its placeholder: clicks go through it, so the caret lands in
    // the box and typing goes there.
    for (const auto &control : description.controls) {
        QWidget *panel = byName.value(control.name);
        if (control.kind != platform::ControlKind::PictureBox || !panel)
            continue;
        for (const auto &other : description.controls) {
            QWidget *box = byName.value(other.name);
            if (other.kind == platform::ControlKind::TextBox && box
                && box->parentWidget() == panel->parentWidget()
                && box->geometry().intersects(panel->geometry())) {
                panel->setAttribute(Qt::WA_TransparentForMouseEvents);
                for (QWidget *inside : panel->findChildren<QWidget *>())
                    inside->setAttribute(Qt::WA_TransparentForMouseEvents);
            }
        }
    }

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
                    [&name](platform::IFormEvents &events) { events.clickEvent(name); });
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
    if (description.centreOnScreen)
        window->centreOnScreen();
    fitCaptionsToButtons(window);
    m_windowObject = std::make_shared<QtWindow>(window);
}

// Button sizes are fixed in twips, chosen for a narrow 8-point system font; desktop fonts are
// often wider. Rather than cut a caption off, that button's font steps down until its caption
// fits, but never below a legible size. Everything else keeps the desktop's font: the text box
// above all, where the user reads the string.
void QtForm::fitCaptionsToButtons(QWidget *window)
{
    for (QPushButton *button : window->findChildren<QPushButton *>()) {
        const int room = button->width()
            - 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        QFont font = button->font();
        if (font.pointSizeF() <= 0)
            continue;
        while (QFontMetrics(font).horizontalAdvance(button->text()) > room
               && font.pointSizeF() > MinimumFontPoints)
            font.setPointSizeF(std::max(MinimumFontPoints, font.pointSizeF() - 0.5));
        if (font != button->font())
            button->setFont(font);
    }
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
        image->setPixmap(Picture(control.picture).pixmap(qApp->devicePixelRatio()));
        widget = image;
        break;
    }
    case platform::ControlKind::CommandButton: {
        auto *button = new FormButton(control.caption, parent);
        button->setAutoDefault(false);
        button->setDefault(false);
        const QString name = control.name;
        QObject::connect(button, &QPushButton::clicked, button, [this, name] {
            m_dispatch->raise([&name](platform::IFormEvents &events) { events.clickEvent(name); });
        });
        widget = button;
        break;
    }
    case platform::ControlKind::TextBox: {
        auto *editor = new ExactTextEdit(parent);
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
    if (control.kind == platform::ControlKind::TextBox) {
        // Kerning and ligatures are cosmetic in the scripts connection strings are written in,
        // and shaping is most of what laying out a huge string again after each key costs;
        // scripts that need shaping to be legible keep it.
        QFont font = widget->font();
        font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
        widget->setFont(font);
    }
    widget->setGeometry(toPixels(control.left), toPixels(control.top), toPixels(control.width),
                        toPixels(control.height));
    if (control.kind != platform::ControlKind::TextBox)
        m_controls.insert(control.name, std::make_shared<QtControl>(widget, control.name));
    return widget;
}

} // namespace platform::qt
