#pragma once

#include "platform/control.h"
#include "platform/error.h"
#include "platform/qt/twips.h"
#include "platform/window.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>

class QMenu;

namespace platform::qt {

class EventDispatch;
class FormWindow;

[[noreturn]] inline void throwUnreachable(const QString &name)
{
    throw Error(QStringLiteral("Object '%1' is no longer available.").arg(name));
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

// The text box's editor. Its document turns a pasted carriage return or paragraph separator into
// a line break of its own; the editor remembers what was pasted so the text box can keep it.
class ExactTextEdit final : public QPlainTextEdit
{
public:
    using QPlainTextEdit::QPlainTextEdit;
    // A paste or drop in progress: where it goes, how much of the old text it replaces, and
    // its text; taken once.
    struct Insertion
    {
        qsizetype at = 0;
        qsizetype replaced = 0;
        QString text;
    };
    std::optional<Insertion> takeInsertion() { return std::exchange(m_insertion, std::nullopt); }

protected:
    void insertFromMimeData(const QMimeData *source) override;

private:
    std::optional<Insertion> m_insertion;
};

// Holds the text exactly as it was given or typed. The editor's document is only its display:
// it reads a no-break space back as a space and line and paragraph separators as line breaks,
// and makes one line break of a carriage return with its line feed; so its text is never read
// back, and each change of the document is applied to the held text instead, in the same place.
class QtTextBox final : public QtControlOf<platform::ITextBox>
{
public:
    QtTextBox(ExactTextEdit *editor, QString name, const EventDispatch &dispatch);

    QString Text() override;
    void SetText(const QString &value) override;

private:
    ExactTextEdit *editor() const;
    void followEdit();
    void raiseChange();

    const EventDispatch &m_dispatch;
    QString m_text;
    QString m_shown; // the document's characters when m_text was last brought up to date
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
    platform::WindowState WindowState() override;
    void SetWindowState(platform::WindowState state) override;
    bool Visible() override;
    void Show() override;
    void Hide() override;
    platform::ScaleMode ScaleMode() override;
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
