#include "phylo/io/number_syntax.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace phylo::io::number_syntax {

namespace {

bool is_digit(char c) noexcept { return c >= '0' && c <= '9'; }

std::size_t skip_digits(std::string_view text, std::size_t i) {
    while (i < text.size() && is_digit(text[i])) ++i;
    return i;
}

std::string_view trim_blanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

Scan scan(std::string_view text, bool integer) {
    Scan result;
    std::size_t i = 0;
    auto ended = [&](std::size_t at) { return at >= text.size(); };
    if (!ended(i) && (text[i] == '+' || text[i] == '-')) ++i;
    bool mantissa = false;
    std::size_t after = skip_digits(text, i);
    if (after > i) {
        mantissa = true;
        i = after;
        if (!integer && !ended(i) && text[i] == '.') {
            i = skip_digits(text, i + 1);
        }
    } else if (!integer && !ended(i) && text[i] == '.') {
        after = skip_digits(text, i + 1);
        mantissa = after > i + 1;
        i = after;
        if (!mantissa) {
            result.length = i;
            result.at_text_end = ended(i);
            return result;
        }
    }
    if (!mantissa) {
        result.length = i;
        result.at_text_end = ended(i);
        return result;
    }
    if (!ended(i) && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        if (!ended(i) && (text[i] == '+' || text[i] == '-')) ++i;
        after = skip_digits(text, i);
        result.complete = after > i;
        i = after;
    } else {
        result.complete = true;
    }
    result.length = i;
    result.at_text_end = ended(i);
    return result;
}

std::optional<double> real_value(std::string_view token) {
    if (!token.empty() && token.front() == '+') token.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (error == std::errc() && end == token.data() + token.size()) return value;
    // Out of range either way: strtod tells overflow (infinite) from
    // underflow (zero or subnormal, which we accept).
    const std::string copy(token);
    value = std::strtod(copy.c_str(), nullptr);
    if (std::isinf(value)) return std::nullopt;
    return value;
}

std::optional<std::int32_t> integer_value(std::string_view token) {
    bool negative = false;
    if (!token.empty() && (token.front() == '+' || token.front() == '-')) {
        negative = token.front() == '-';
        token.remove_prefix(1);
    }
    const std::size_t marker = token.find_first_of("Ee");
    std::string_view digits = token.substr(0, marker);
    long long exponent = 0;
    if (marker != std::string_view::npos) {
        std::string_view text = token.substr(marker + 1);
        bool exponent_negative = false;
        if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
            exponent_negative = text.front() == '-';
            text.remove_prefix(1);
        }
        while (text.size() > 1 && text.front() == '0') text.remove_prefix(1);
        if (text.size() > 12) return std::nullopt;  // far beyond 32 bits, or far below a whole number
        for (char c : text) exponent = exponent * 10 + (c - '0');
        if (exponent_negative) exponent = -exponent;
    }
    while (!digits.empty() && digits.front() == '0') digits.remove_prefix(1);
    if (digits.empty()) return 0;
    // Dropping trailing digits must drop only zeros for the value to be whole.
    if (exponent < 0) {
        const auto drop = static_cast<std::size_t>(-exponent);
        if (drop > digits.size()) return std::nullopt;
        if (digits.substr(digits.size() - drop).find_first_not_of('0') != std::string_view::npos)
            return std::nullopt;
        digits.remove_suffix(drop);
        exponent = 0;
        if (digits.empty()) return 0;
    }
    if (digits.size() + static_cast<std::size_t>(exponent) > 10) return std::nullopt;
    long long value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    for (long long k = 0; k < exponent; ++k) value *= 10;
    if (negative) value = -value;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<double> parse_real(std::string_view text) {
    text = trim_blanks(text);
    const Scan s = scan(text, false);
    if (!s.complete || s.length != text.size()) return std::nullopt;
    return real_value(text);
}

std::optional<std::int32_t> parse_integer(std::string_view text) {
    text = trim_blanks(text);
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (i == text.size() || skip_digits(text, i) != text.size()) return std::nullopt;
    return integer_value(text);
}

}  // namespace phylo::io::number_syntax
