#include "platform/qt/qttoolkit.h"

#include "platform/qt/qtform.h"

namespace platform::qt {

QtToolkit::QtToolkit(platform::IShell &shell)
    : m_shell(shell)
{ }

std::unique_ptr<platform::IForm> QtToolkit::createForm(const platform::FormDescription &description,
                                                       platform::IFormEvents &events)
{
    return std::make_unique<QtForm>(description, events);
}

platform::IClipboard &QtToolkit::clipboard()
{
    return m_clipboard;
}

platform::IApplication &QtToolkit::application()
{
    return m_application;
}

platform::IShell &QtToolkit::shell()
{
    return m_shell;
}

} // namespace platform::qt
