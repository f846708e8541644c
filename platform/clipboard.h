#pragma once

#include <QString>

namespace platform {

// The system clipboard, shared with other programs.
class IClipboard
{
public:
    IClipboard() = default;
    IClipboard(const IClipboard &) = delete;
    IClipboard &operator=(const IClipboard &) = delete;
    virtual ~IClipboard() = default;

    // Removes everything the clipboard holds, in every format.
    virtual void Clear() = 0;
    // Places the text as plain text.
    virtual void SetText(const QString &text) = 0;
};

} // namespace platform
