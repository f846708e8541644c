#pragma once

#include "platform/qt/qtapplication.h"

#include <QtGlobal>

namespace platform::qt {

inline int toPixels(float twips)
{
    return qRound(twips / QtApplication::twipsPerPixel());
}

inline float toTwips(int pixels)
{
    return float(pixels) * QtApplication::twipsPerPixel();
}

} // namespace platform::qt
