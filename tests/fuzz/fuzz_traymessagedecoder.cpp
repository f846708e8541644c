// The mouse-message decoder. A message number sent in pixels or in scale units comes back
// unchanged; any other X decodes to its nearest whole number (a tie to the even one); and the
// decoder refuses only what has no 32-bit answer: a zero or non-finite divisor, a non-finite X,
// a quotient out of range.
#include "fuzzcheck.h"
#include "platform/error.h"
#include "tray/traymessagedecoder.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cfenv>
#include <cmath>
#include <optional>

using tray::TrayMessageDecoder;

namespace {

// An independent reference: the hardware's rounding, in its default mode, to nearest even.
std::optional<qint32> expectedFor(double quotient)
{
    if (!std::isfinite(quotient))
        return std::nullopt;
    const double rounded = std::nearbyint(quotient);
    if (rounded < -2147483648.0 || rounded > 2147483647.0)
        return std::nullopt;
    return qint32(rounded);
}

template<typename Decode> std::optional<qint32> decoded(Decode decode)
{
    try {
        return decode();
    } catch (const platform::Error &) {
        return std::nullopt;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const auto message = input.ConsumeIntegral<qint32>();
    const auto twips = input.ConsumeIntegralInRange<int>(1, 32);
    const float x = input.ConsumeFloatingPoint<float>();
    const float divisor = input.ConsumeFloatingPoint<float>();
    FUZZ_CHECK(std::fegetround() == FE_TONEAREST);

    // Every float of at most 24 significant bits is exact: such messages must come back.
    if (std::abs(qint64(message)) * twips < (qint64(1) << 24)) {
        FUZZ_CHECK(TrayMessageDecoder::fromPixels(float(message)) == message, message);
        FUZZ_CHECK(TrayMessageDecoder::fromScaleUnits(float(message * twips), float(twips))
                       == message,
                   message << twips);
    }

    FUZZ_CHECK(decoded([&] { return TrayMessageDecoder::fromPixels(x); }) == expectedFor(x), x);
    const auto expected = divisor == 0 || !std::isfinite(divisor)
        ? std::nullopt
        : expectedFor(double(x) / double(divisor));
    FUZZ_CHECK(decoded([&] { return TrayMessageDecoder::fromScaleUnits(x, divisor); }) == expected,
               x << divisor);
    return 0;
}
