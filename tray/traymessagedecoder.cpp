#include "tray/traymessagedecoder.h"

#include "platform/error.h"

#include <cmath>
#include <limits>

namespace tray {

namespace {

// Not std::nearbyint: that follows the thread's floating-point rounding mode, which anything
// loaded into the process may have changed.
double roundHalfToEven(double value)
{
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5)
        return lower + 1;
    if (fraction < 0.5)
        return lower;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

qint32 toMessageNumber(double value)
{
    if (!std::isfinite(value))
        throw platform::Error(QStringLiteral("Overflow"));
    const double rounded = roundHalfToEven(value);
    if (rounded < double(std::numeric_limits<qint32>::min())
        || rounded > double(std::numeric_limits<qint32>::max()))
        throw platform::Error(QStringLiteral("Overflow"));
    return qint32(rounded);
}

} // namespace

qint32 TrayMessageDecoder::fromPixels(float x)
{
    return toMessageNumber(x);
}

qint32 TrayMessageDecoder::fromScaleUnits(float x, float twipsPerPixel)
{
    if (twipsPerPixel == 0)
        throw platform::Error(QStringLiteral("Division by zero"));
    if (!std::isfinite(x) || !std::isfinite(twipsPerPixel))
        throw platform::Error(QStringLiteral("Overflow"));
    // In double, so the quotient is rounded once, to the whole number, and never first to float.
    return toMessageNumber(double(x) / double(twipsPerPixel));
}

TrayAction TrayMessageDecoder::actionFor(qint32 message)
{
    switch (message) {
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        return TrayAction::RestoreWindow;
    case WM_RBUTTONUP:
        return TrayAction::PopUpMenu;
    default:
        return TrayAction::None;
    }
}

} // namespace tray
