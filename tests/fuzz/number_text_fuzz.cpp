// Feeds any bytes to ReadNumber, ReadUserNumber and FormatResult. Nothing may crash, and every
// finite value written under any format must show the number that its plain form reads as.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "number/number_text.h"

namespace {

using pelmora::number::NegativePattern;
using pelmora::number::NumberFormat;

const NumberFormat kPlain{".", "", {}, true, NegativePattern::LeadingMinus};

const NumberFormat kFormats[] = {
    {},
    {",", "", {3}, true, NegativePattern::LeadingMinus},
    {",", ".", {3}, true, NegativePattern::LeadingMinusSpace},
    {".", ",", {3, 2}, true, NegativePattern::TrailingMinus},
    {",", "\u202F", {3}, false, NegativePattern::Parentheses},
    {"٫", "٬", {3, 0}, true, NegativePattern::TrailingSpaceMinus},
    {".", ".", {1}, false, NegativePattern::LeadingMinus},
    {"", "", {}, true, NegativePattern::LeadingMinus},
};

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckWritten(double value, const NumberFormat& format) {
    const pelmora::number::FormattedNumber written = pelmora::number::FormatResult(value, format);
    if (!std::isfinite(value)) return;
    const double shown =
        pelmora::number::ReadNumber(pelmora::number::FormatResult(value, kPlain).text);
    Check(written.shown == shown);
    if (format.negativePattern == NegativePattern::LeadingMinus &&
        format.decimalSymbol != format.groupingSymbol) {
        Check(pelmora::number::ReadUserNumber(written.text, format) == shown);
    }
    if (std::isinf(shown)) {
        // Only the largest doubles show, cut to 15 digits, a number beyond the double range.
        Check(std::fabs(value) > 1.79769313486231e308);
    } else {
        Check(std::fabs(shown - value) <= 0.0005 + std::fabs(value) * 1e-14);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const NumberFormat& format = kFormats[size == 0 ? 0 : data[0] % std::size(kFormats)];

    CheckWritten(pelmora::number::ReadNumber(text), format);
    CheckWritten(pelmora::number::ReadUserNumber(text, format), format);
    if (size >= 9) {
        double bits = 0;
        std::memcpy(&bits, data + 1, sizeof bits);
        CheckWritten(bits, format);
    }
    return 0;
}
