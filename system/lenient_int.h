#pragma once

#include <algorithm>
#include <climits>
#include <string_view>

// Decimal text to int the forgiving way, as the stored settings and the number fields of the
// windows are read: leading blanks (space, tab, line breaks), an optional sign, then the leading
// digits; 0 when there are none; values beyond the int range are clamped, never overflowed.
template <typename Char>
int LenientInt(std::basic_string_view<Char> text) {
    const auto isBlank = [](Char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    };
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Magnitudes stop growing one past INT_MAX, which is exactly -INT_MIN: no overflow, and the
    // clamp below lands on either end of the range.
    constexpr long long kCeiling = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        magnitude = std::min(magnitude * 10 + (text[i] - '0'), kCeiling);
    if (negative) return static_cast<int>(-magnitude);
    return static_cast<int>(std::min<long long>(magnitude, INT_MAX));
}
