#pragma once

#include "platform/application.h"

namespace platform::qt {

class QtApplication final : public platform::IApplication
{
public:
    QtApplication() = default;

    // From the primary screen's logical DPI: 15 at 96 DPI.
    float TwipsPerPixelX() override;
    QString Title() override;
    void processPendingEvents() override;
    void showMessage(const QString &text) override;
    platform::Answer ask(quint32 owner, const platform::Question &question) override;

    static float twipsPerPixel();
};

} // namespace platform::qt
