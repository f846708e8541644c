#pragma once

#include "platform/control.h"
#include "platform/window.h"

#include <QString>

#include <memory>

namespace platform {

// A window built from a FormDescription, with its controls and menus reachable by name.
class IForm
{
public:
    IForm() = default;
    IForm(const IForm &) = delete;
    IForm &operator=(const IForm &) = delete;
    virtual ~IForm() = default;

    virtual std::shared_ptr<IWindow> window() = 0;
    // Throw platform::Error for a name the form does not have.
    virtual std::shared_ptr<ITextBox> textBox(const QString &name) = 0;
    virtual std::shared_ptr<IControl> control(const QString &name) = 0;
    virtual std::shared_ptr<IMenu> menu(const QString &name) = 0;

    // Raises the load event, then shows the window where the description puts it.
    virtual void Load() = 0;
};

} // namespace platform
