#pragma once

#include <array>

namespace platform {
class IControl;
class ITextBox;
class IWindow;
} // namespace platform

namespace app {

// The layout half of the main window's resize handler: keeps the window at its minimum size,
// stretches the text box, keeps the buttons at the bottom and places the banner panel. Each step
// reads what it needs afresh and a failing step is skipped, so the handler keeps no state and may
// be re-entered by the resize that its own clamps raise.
class ResizeLayout final
{
public:
    ResizeLayout(platform::IWindow &window, platform::ITextBox &connectionText,
                 platform::IControl &createButton, platform::IControl &clearButton,
                 platform::IControl &copyButton, platform::IControl &closeButton,
                 platform::IControl &banner);
    ResizeLayout(const ResizeLayout &) = delete;
    ResizeLayout &operator=(const ResizeLayout &) = delete;

    // Does nothing while the window is minimised.
    void run() noexcept;

private:
    platform::IWindow &m_window;
    platform::ITextBox &m_text;
    std::array<platform::IControl *, 4> m_buttons;
    platform::IControl &m_banner;
};

} // namespace app
