#pragma once

#include "platform/qt/ownedwindows.h"
#include "platform/qt/qtapplication.h"
#include "platform/qt/qtclipboard.h"
#include "platform/toolkit.h"

namespace platform::qt {

// The real toolkit. The shell is handed in: which notification area stands behind it is the
// composition root's choice.
class QtToolkit final : public platform::IToolkit
{
public:
    explicit QtToolkit(platform::IShell &shell);

    std::unique_ptr<platform::IForm> createForm(const platform::FormDescription &description,
                                                platform::IFormEvents &events) override;
    platform::IClipboard &clipboard() override;
    platform::IApplication &application() override;
    platform::IShell &shell() override;

private:
    platform::IShell &m_shell;
    QtClipboard m_clipboard;
    QtApplication m_application;
    OwnerModality m_modality;
};

} // namespace platform::qt
