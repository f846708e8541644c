#pragma once

#include "platform/form.h"
#include "platform/formdescription.h"
#include "platform/qt/eventdispatch.h"

#include <QHash>
#include <QPointer>

#include <functional>
#include <memory>

class QMenu;
class QWidget;

namespace platform {
class IFormEvents;
}

namespace platform::qt {

class FormWindow;

// A window built from its description with Qt Widgets: the controls at their twips positions,
// the menus, and every Qt event turned into the form's events.
class QtForm final : public platform::IForm
{
public:
    using ErrorReporter = platform::qt::ErrorReporter;

    QtForm(const platform::FormDescription &description, platform::IFormEvents &events);
    ~QtForm() override;

    std::shared_ptr<platform::IWindow> window() override;
    std::shared_ptr<platform::ITextBox> textBox(const QString &name) override;
    std::shared_ptr<platform::IControl> control(const QString &name) override;
    std::shared_ptr<platform::IMenu> menu(const QString &name) override;
    void Load() override;

    // The toolkit's handling of unhandled errors. By default a message box titled with the
    // application name; the program goes on either way.
    void setErrorReporter(ErrorReporter reporter);

    // The top-level widget, for tests and for owning dialogs.
    QWidget *widget() const;

private:
    void build(const platform::FormDescription &description);
    QWidget *createControl(const platform::ControlDescription &description, QWidget *parent);
    static void fitCaptionsToButtons(QWidget *window);
    static constexpr qreal MinimumFontPoints = 7.0;

    platform::IFormEvents &m_events;
    ErrorReporter m_reportError;
    std::unique_ptr<EventDispatch> m_dispatch;
    QPointer<FormWindow> m_window;
    std::shared_ptr<platform::IWindow> m_windowObject;
    QHash<QString, std::shared_ptr<platform::IControl>> m_controls;
    QHash<QString, std::shared_ptr<platform::ITextBox>> m_textBoxes;
    QHash<QString, std::shared_ptr<platform::IMenu>> m_menus;
    QString m_firstInTabOrder;
};

} // namespace platform::qt
