#include "app/resizelayout.h"

#include "app/layout.h"
#include "platform/control.h"
#include "platform/resumeonerror.h"
#include "platform/window.h"

#include <optional>

namespace app {

using platform::resumeOnError;

ResizeLayout::ResizeLayout(platform::IWindow &window, platform::ITextBox &connectionText,
                           platform::IControl &createButton, platform::IControl &clearButton,
                           platform::IControl &copyButton, platform::IControl &closeButton,
                           platform::IControl &banner)
    : m_window(window)
    , m_text(connectionText)
    , m_buttons {&createButton, &clearButton, &copyButton, &closeButton}
    , m_banner(banner)
{ }

void ResizeLayout::run() noexcept
{
    // A state that cannot be read is treated as not minimised: laying out is the harmless side.
    bool minimised = false;
    resumeOnError([&] { minimised = m_window.WindowState() == platform::WindowState::Minimized; });
    if (minimised)
        return;

    // A size that cannot be read is set to the minimum, the branch taken when the test holds.
    // Either write raises the resize event again, which may run this handler before it returns.
    std::optional<float> height = Layout::MinimumHeight;
    resumeOnError([&] { height = Layout::clampedHeight(m_window.Height()); });
    if (height)
        resumeOnError([&] { m_window.SetHeight(*height); });

    std::optional<float> width = Layout::MinimumWidth;
    resumeOnError([&] { width = Layout::clampedWidth(m_window.Width()); });
    if (width)
        resumeOnError([&] { m_window.SetWidth(*width); });

    resumeOnError([&] { m_text.SetWidth(Layout::textBoxWidth(m_window.Width())); });
    resumeOnError([&] { m_text.SetHeight(Layout::textBoxHeight(m_window.Height())); });
    for (platform::IControl *button : m_buttons)
        resumeOnError([&] { button->SetTop(Layout::buttonTop(m_window.Height())); });

    // Placed whether shown or hidden, so the banner is in place whenever it shows again.
    resumeOnError([&] {
        const float panelWidth = m_banner.Width();
        const float windowWidth = m_window.Width();
        m_banner.SetLeft(Layout::panelLeft(windowWidth, panelWidth));
    });
    resumeOnError([&] {
        // The text box's height as the toolkit rounded it, not the height just asked for.
        const float panelHeight = m_banner.Height();
        const float textHeight = m_text.Height();
        m_banner.SetTop(Layout::panelTop(textHeight, panelHeight));
    });
}

} // namespace app
