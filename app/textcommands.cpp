#include "app/textcommands.h"

#include "platform/clipboard.h"
#include "platform/control.h"

namespace app {

TextCommands::TextCommands(platform::IClipboard &clipboard, platform::ITextBox &connectionText,
                           platform::IControl &banner)
    : m_clipboard(clipboard)
    , m_text(connectionText)
    , m_banner(banner)
{ }

void TextCommands::copy()
{
    // Cleared before the text is read, so a failing read still leaves nothing stale to paste.
    m_clipboard.Clear();
    const QString text = m_text.Text();
    m_clipboard.SetText(text);
}

void TextCommands::clear()
{
    m_text.SetText(QString());
}

void TextCommands::updateBanner()
{
    // Exactly "": a box of spaces or line breaks holds a string, so the banner must not cover it.
    const QString text = m_text.Text();
    m_banner.SetVisible(text == QString());
}

} // namespace app
