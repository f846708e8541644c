#pragma once

#include <optional>

namespace app {

// Where the main window's controls go for a window of a given outer size, in twips. Single
// precision throughout, as the toolkit reports and takes geometry. A result that is not a finite
// number throws platform::Error, so the step computing it fails like any other operation.
class Layout final
{
public:
    static constexpr float MinimumWidth = 6120.0f;
    static constexpr float MinimumHeight = 2250.0f;

    // The size to set the window to, or nothing when it is not below the minimum.
    static std::optional<float> clampedWidth(float windowWidth);
    static std::optional<float> clampedHeight(float windowHeight);

    static float textBoxWidth(float windowWidth);
    static float textBoxHeight(float windowHeight);
    // The same for all four buttons.
    static float buttonTop(float windowHeight);

    // Centred on the window's width and on the text box's height as the toolkit reports it,
    // not on the text box itself.
    static float panelLeft(float windowWidth, float panelWidth);
    static float panelTop(float textBoxHeight, float panelHeight);
};

} // namespace app
