#include "number_text.hpp"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <system_error>

namespace tarvix::matrix {

namespace {

bool is_digit(char c) noexcept { return c >= '0' && c <= '9'; }

// The parts of a number in the reader's syntax.
struct Parts {
    bool negative = false;
    std::string_view integer;   // digits before the point
    std::string_view fraction;  // digits after the point
    std::int64_t exponent = 0;  // saturated far beyond any meaningful value
};

bool split(std::string_view text, Parts& parts) noexcept {
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) parts.negative = text[i++] == '-';
    const std::size_t integer_start = i;
    while (i < n && is_digit(text[i])) ++i;
    parts.integer = text.substr(integer_start, i - integer_start);
    if (i < n && text[i] == '.') {
        const std::size_t fraction_start = ++i;
        while (i < n && is_digit(text[i])) ++i;
        parts.fraction = text.substr(fraction_start, i - fraction_start);
    }
    if (parts.integer.empty() && parts.fraction.empty()) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negative_exponent = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) negative_exponent = text[i++] == '-';
        if (i == n || !is_digit(text[i])) return false;
        std::int64_t e = 0;
        for (; i < n && is_digit(text[i]); ++i) e = e < 100'000'000 ? e * 10 + (text[i] - '0') : e;
        parts.exponent = negative_exponent ? -e : e;
    }
    return i == n;
}

std::string shown(std::string_view text) {
    constexpr std::size_t kShown = 40;
    return text.size() <= kShown ? std::string(text) : std::string(text.substr(0, kShown)) + "...";
}

// (limit - x) scaled by 10^-extra_exponent, where limit is 100 (percent) or
// 1 (fraction) and x is the non-negative number in `parts`; exact decimal
// subtraction, then one correct rounding by from_chars.
double complement(const Parts& parts, int limit_digits, int extra_exponent, std::string_view text,
                  std::string& scratch) {
    // x = 0.d1 d2 d3 ... * 10^point, with the leading zeros of d removed.
    std::string_view integer = parts.integer;
    std::string_view fraction = parts.fraction;
    std::int64_t point = static_cast<std::int64_t>(integer.size()) + parts.exponent;
    while (!integer.empty() && integer.front() == '0') {
        integer.remove_prefix(1);
        --point;
    }
    if (integer.empty())
        while (!fraction.empty() && fraction.front() == '0') {
            fraction.remove_prefix(1);
            --point;
        }
    while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
    if (fraction.empty())
        while (!integer.empty() && integer.back() == '0') integer.remove_suffix(1);
    const std::size_t digit_count = integer.size() + fraction.size();
    auto digit = [&](std::size_t k) { return k < integer.size() ? integer[k] : fraction[k - integer.size()]; };

    if (digit_count == 0) return 1.0;  // x = 0
    if (parts.negative) throw ValueError("similarity " + shown(text) + " is below 0");
    // The limit is 0.1 * 10^limit_digits.
    const bool above = point > limit_digits || (point == limit_digits && (digit(0) != '1' || digit_count > 1));
    if (above)
        throw ValueError("similarity " + shown(text) + (limit_digits == 3 ? " is above 100%" : " is above 1"));
    // Far below the rounding unit of 1: the distance rounds to 1.
    if (point < -40) return 1.0;

    // Digits of the limit and of x aligned at `scale` fractional digits.
    const std::int64_t scale = std::max<std::int64_t>(static_cast<std::int64_t>(digit_count) - point, 0);

    // The common case in integers: with both at most 10^15 (below 2^53) and
    // the power of ten exact in a double, one division rounds the exact
    // quotient correctly, as from_chars would.
    if (scale + limit_digits <= 16) {
        std::uint64_t x = 0;
        for (std::size_t k = 0; k < digit_count; ++k) x = x * 10 + static_cast<std::uint64_t>(digit(k) - '0');
        for (std::int64_t k = static_cast<std::int64_t>(digit_count); k < point + scale; ++k) x *= 10;
        std::uint64_t limit = limit_digits == 3 ? 100 : 1;
        for (std::int64_t k = 0; k < scale; ++k) limit *= 10;
        static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11,
                                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};
        return static_cast<double>(limit - x) / kPowers[scale + extra_exponent];
    }
    const std::size_t length = static_cast<std::size_t>(limit_digits + scale);
    scratch.assign(length, '0');
    // limit - x, digit by digit from the right, borrowing; x <= limit.
    scratch[0] = '1';
    int borrow = 0;
    for (std::size_t idx = length; idx-- > 0;) {
        const std::int64_t k = static_cast<std::int64_t>(idx) - (limit_digits - point);
        const int b = (k >= 0 && k < static_cast<std::int64_t>(digit_count)) ? digit(static_cast<std::size_t>(k)) - '0' : 0;
        int a = scratch[idx] - '0' - b - borrow;
        borrow = a < 0;
        if (borrow) a += 10;
        scratch[idx] = static_cast<char>('0' + a);
    }
    std::size_t first = scratch.find_first_not_of('0');
    if (first == std::string::npos) return 0.0;
    scratch.erase(0, first);
    scratch += "e-";
    scratch += std::to_string(scale + extra_exponent);
    double value = 0;
    const auto result = std::from_chars(scratch.data(), scratch.data() + scratch.size(), value);
    // Only an underflow can fail here: the distance is at most 1.
    if (result.ec == std::errc::result_out_of_range) return 0.0;
    return value;
}

constexpr std::uint64_t kIntegerPowers[] = {1ull,
                                            10ull,
                                            100ull,
                                            1000ull,
                                            10000ull,
                                            100000ull,
                                            1000000ull,
                                            10000000ull,
                                            100000000ull,
                                            1000000000ull,
                                            10000000000ull,
                                            100000000000ull,
                                            1000000000000ull,
                                            10000000000000ull,
                                            100000000000000ull,
                                            1000000000000000ull};

// The `count` decimal digits of `value`, two at a time from the right.
void write_digits(char* out, std::uint64_t value, int count) noexcept {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    int i = count;
    while (i >= 2) {
        const auto pair = static_cast<std::size_t>(value % 100) * 2;
        value /= 100;
        out[--i] = kPairs[pair + 1];
        out[--i] = kPairs[pair];
    }
    if (i == 1) out[0] = static_cast<char>('0' + value);
}

// The form fastANI and skani print, one to three digits, a point and one to
// twelve decimals ("89.8217"), straight from its digits: (100 * 10^f - x)
// / 10^(f + 2) with x the digits as an integer and f the decimals. Numerator
// and denominator are exact doubles (below 10^15), so the one division
// rounds the exact distance correctly, as the full path does. False for any
// other text, and for a value above 100 %, which the full path reports.
bool plain_percent(std::string_view text, double& distance) noexcept {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14};
    const char* p = text.data();
    const std::size_t n = text.size();
    std::uint64_t x = 0;
    std::size_t i = 0;
    for (; i < n && i < 3 && is_digit(p[i]); ++i) x = x * 10 + static_cast<std::uint64_t>(p[i] - '0');
    if (i == 0 || i == n || p[i] != '.') return false;
    const std::size_t decimals = n - ++i;
    if (decimals == 0 || decimals > 12) return false;
    for (; i < n; ++i) {
        if (!is_digit(p[i])) return false;
        x = x * 10 + static_cast<std::uint64_t>(p[i] - '0');
    }
    const std::uint64_t limit = 100 * kIntegerPowers[decimals];
    if (x > limit) return false;
    distance = static_cast<double>(limit - x) / kPowers[decimals + 2];
    return true;
}

}  // namespace

bool is_number(std::string_view text) noexcept {
    Parts parts;
    return split(text, parts);
}

double to_distance(std::string_view text, Conversion conversion, std::string& scratch) {
    double plain = 0;
    if (conversion == Conversion::percent && plain_percent(text, plain)) return plain;
    Parts parts;
    if (!split(text, parts)) throw ValueError("'" + shown(text) + "' is not a number");
    switch (conversion) {
        case Conversion::percent:
            return complement(parts, 3, 2, text, scratch);
        case Conversion::fraction:
            return complement(parts, 1, 0, text, scratch);
        case Conversion::none:
            break;
    }
    double value = 0;
    // from_chars takes no leading '+'.
    const char* begin = text.data() + (text.front() == '+');
    const auto result = std::from_chars(begin, text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        throw ValueError(shown(text) + " is beyond the range of a double");
    if (value < 0) throw ValueError("negative distance " + shown(text));
    return value == 0 ? 0.0 : value;  // -0 is written 0
}

char* write_shortest(char* buffer, double value) noexcept {
    // Distances between 1e-8 and 1 that are short decimals (all that come
    // from percentages and fractions with few decimals) take a fast path
    // with the same result as to_chars; the others go to to_chars.
    //
    // A decimal of at most 15 significant digits is the only one of that
    // length that reads back to its double, so when the 15-digit rounding R
    // of the value reads back to it, R without its trailing zeros is the
    // shortest text. R * 10^-K reads back to the same double exactly when the
    // division R / 10^K does (both exact doubles, one correct rounding).
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (value > 1e-8 && value < 1) {
        int zeros = 0;  // value in [10^-(zeros + 1), 10^-zeros)
        while (zeros < 8 && value * kPowers[zeros + 1] < 1) ++zeros;
        const int k = 15 + zeros;
        if (k <= 22) {
            const double scaled = value * kPowers[k];
            const auto r = static_cast<std::uint64_t>(scaled + 0.5);
            if (r > 0 && r < 1'000'000'000'000'000ull && static_cast<double>(r) / kPowers[k] == value) {
                // value = r * 10^-k; drop r's trailing zeros (at most 14).
                std::uint64_t digits = r;
                int scale = k;
                if (digits % 100000000 == 0) digits /= 100000000, scale -= 8;
                if (digits % 10000 == 0) digits /= 10000, scale -= 4;
                if (digits % 100 == 0) digits /= 100, scale -= 2;
                if (digits % 10 == 0) digits /= 10, scale -= 1;
                int significant = 1;
                while (significant < 15 && digits >= kIntegerPowers[significant]) ++significant;
                // value = digits * 10^-scale, 0 < value < 1: scale >= significant.
                const int exponent = significant - scale - 1;  // of the first significant digit
                const int fixed_length = 2 + scale;
                const int exponent_digits = -exponent >= 100 ? 3 : 2;
                const int scientific_length = significant + (significant > 1) + 2 + exponent_digits;
                char text[16];
                write_digits(text, digits, significant);
                char* out = buffer;
                if (fixed_length <= scientific_length) {
                    *out++ = '0';
                    *out++ = '.';
                    for (int z = 0; z < scale - significant; ++z) *out++ = '0';
                    std::memcpy(out, text, static_cast<std::size_t>(significant));
                    out += significant;
                } else {
                    *out++ = text[0];
                    if (significant > 1) {
                        *out++ = '.';
                        std::memcpy(out, text + 1, static_cast<std::size_t>(significant - 1));
                        out += significant - 1;
                    }
                    *out++ = 'e';
                    *out++ = '-';
                    const int e = -exponent;
                    if (e >= 100) *out++ = static_cast<char>('0' + e / 100);
                    *out++ = static_cast<char>('0' + e / 10 % 10);
                    *out++ = static_cast<char>('0' + e % 10);
                }
                return out;
            }
        }
    }
    return std::to_chars(buffer, buffer + 32, value).ptr;
}

}  // namespace tarvix::matrix
