#pragma once

namespace platform {
class IClipboard;
class IControl;
class ITextBox;
} // namespace platform

namespace app {

// Copy, Clear and the banner that shows while txtConnStr is empty. Nothing is absorbed: a
// failing operation throws, and what was done before it stays done.
class TextCommands final
{
public:
    TextCommands(platform::IClipboard &clipboard, platform::ITextBox &connectionText,
                 platform::IControl &banner);
    TextCommands(const TextCommands &) = delete;
    TextCommands &operator=(const TextCommands &) = delete;

    // Replaces whatever the clipboard holds with the text alone, even when the text is empty.
    void copy();
    void clear();
    // For every change of the text, whoever made it.
    void updateBanner();

private:
    platform::IClipboard &m_clipboard;
    platform::ITextBox &m_text;
    platform::IControl &m_banner;
};

} // namespace app
