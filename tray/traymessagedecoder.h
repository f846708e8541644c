#pragma once

#include <QtGlobal>

namespace tray {

// Mouse messages the notification area reports for its icon.
inline constexpr qint32 WM_MOUSEMOVE = 512;
inline constexpr qint32 WM_LBUTTONUP = 514;
inline constexpr qint32 WM_LBUTTONDBLCLK = 515;
inline constexpr qint32 WM_RBUTTONUP = 517;

enum class TrayAction { None, RestoreWindow, PopUpMenu };

// The icon's mouse message arrives as the X of a mouse-move event, converted from pixels into
// the window's scale units; these undo that conversion. Both round to the nearest whole number,
// a tie to the even neighbour, and throw platform::Error when the result is not a finite 32-bit
// value or the divisor is zero.
class TrayMessageDecoder final
{
public:
    static qint32 fromPixels(float x);
    static qint32 fromScaleUnits(float x, float twipsPerPixel);

    static TrayAction actionFor(qint32 message);
};

} // namespace tray
