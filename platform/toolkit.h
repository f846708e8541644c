#pragma once

#include <memory>

namespace platform {

class IApplication;
class IClipboard;
class IForm;
class IFormEvents;
class IShell;
struct FormDescription;

// The windowing toolkit: builds windows and hands out the shared services.
class IToolkit
{
public:
    IToolkit() = default;
    IToolkit(const IToolkit &) = delete;
    IToolkit &operator=(const IToolkit &) = delete;
    virtual ~IToolkit() = default;

    // Builds the window and its controls; events go to `events`, which must outlive the form.
    virtual std::unique_ptr<IForm> createForm(const FormDescription &description,
                                              IFormEvents &events)
        = 0;
    virtual IClipboard &clipboard() = 0;
    virtual IApplication &application() = 0;
    virtual IShell &shell() = 0;
};

} // namespace platform
