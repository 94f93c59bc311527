#include "printed_number.hpp"

#include <charconv>
#include <limits>

namespace tarvix::plot {

namespace {

std::string_view trim_blanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// "NaN" followed by nothing but the asterisks that pad it to the field width.
bool is_padded_word(std::string_view text, std::string_view word) {
    if (text.substr(0, word.size()) != word) return false;
    return text.find_first_not_of('*', word.size()) == std::string_view::npos;
}

bool is_decimal_character(char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
}

}  // namespace

std::optional<double> parse_printed_number(std::string_view text) {
    text = trim_blanks(text);
    if (text.empty()) return std::nullopt;
    constexpr double infinity = std::numeric_limits<double>::infinity();
    if (is_padded_word(text, "NaN")) return std::numeric_limits<double>::quiet_NaN();
    if (is_padded_word(text, "+Inf")) return infinity;
    if (is_padded_word(text, "-Inf")) return -infinity;
    // from_chars alone would also take the words "inf" and "nan", which tarvix
    // never prints that way.
    for (const char c : text)
        if (!is_decimal_character(c)) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace tarvix::plot
