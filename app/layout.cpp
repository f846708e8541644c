#include "app/layout.h"

#include "platform/error.h"

#include <cmath>

namespace app {

namespace {

constexpr float TextBoxWidthAllowance = 220.0f;
constexpr float TextBoxHeightAllowance = 970.0f;
constexpr float ButtonRowOffset = 840.0f;
constexpr float Halves = 2.0f;

float checked(float value)
{
    if (!std::isfinite(value))
        throw platform::Error(QStringLiteral("Overflow"));
    return value;
}

} // namespace

std::optional<float> Layout::clampedWidth(float windowWidth)
{
    if (windowWidth < MinimumWidth)
        return MinimumWidth;
    return std::nullopt;
}

std::optional<float> Layout::clampedHeight(float windowHeight)
{
    if (windowHeight < MinimumHeight)
        return MinimumHeight;
    return std::nullopt;
}

float Layout::textBoxWidth(float windowWidth)
{
    return checked(windowWidth - TextBoxWidthAllowance);
}

float Layout::textBoxHeight(float windowHeight)
{
    return checked(windowHeight - TextBoxHeightAllowance);
}

float Layout::buttonTop(float windowHeight)
{
    return checked(windowHeight - ButtonRowOffset);
}

float Layout::panelLeft(float windowWidth, float panelWidth)
{
    return checked(windowWidth / Halves - panelWidth / Halves);
}

float Layout::panelTop(float textBoxHeight, float panelHeight)
{
    return checked(textBoxHeight / Halves - panelHeight / Halves);
}

} // namespace app
