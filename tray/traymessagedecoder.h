#pragma once

#include "platform/shell.h"

#include <QtGlobal>

namespace tray {

using platform::WM_LBUTTONDBLCLK;
using platform::WM_LBUTTONUP;
using platform::WM_MOUSEMOVE;
using platform::WM_RBUTTONUP;

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
