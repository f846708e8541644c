#pragma once

#include "platform/control.h"
#include "platform/error.h"
#include "platform/qt/twips.h"
#include "platform/window.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>

class QMenu;
class QPlainTextEdit;

namespace platform::qt {

class EventDispatch;
class FormWindow;

[[noreturn]] inline void throwUnreachable(const QString &name)
{
    throw Error(QStringLiteral("Object '%1' is no longer available.").arg(name), 91);
}

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
    QtTextBox(QPlainTextEdit *editor, QString name, const EventDispatch &dispatch);

    QString Text() override;
    void SetText(const QString &value) override;

private:
    QPlainTextEdit *editor() const;
    void raiseChange();

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

// The form's window as the handlers see it; fails once the window is gone.
class QtWindow final : public platform::IWindow
{
public:
    explicit QtWindow(FormWindow *window);

    quint32 hWnd() override;
    float Width() override;
    void SetWidth(float v) override;
    float Height() override;
    void SetHeight(float v) override;
    int WindowState() override;
    void SetWindowState(int state) override;
    bool Visible() override;
    void Show() override;
    void Hide() override;
    int ScaleMode() override;
    quint32 Icon() override;
    void PopupMenu(platform::IMenu &menu) override;
    void Unload() override;

private:
    FormWindow *window() const;

    QPointer<FormWindow> m_window;
    QString m_name;
    quint32 m_handle;
    quint32 m_icon;
};

} // namespace platform::qt
