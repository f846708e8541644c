#pragma once

#include "platform/clipboard.h"

namespace platform::qt {

class QtClipboard final : public platform::IClipboard
{
public:
    QtClipboard() = default;

    void Clear() override;
    void SetText(const QString &text) override;
};

} // namespace platform::qt
