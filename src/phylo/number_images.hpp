// Images of numbers in messages. Every number a message shows goes through
// here, so that a real is never shown with a fixed number of decimals that
// turns a small value into 0.000000.
#pragma once

#include <charconv>
#include <concepts>
#include <cstdint>
#include <string>

namespace phylo {

// Images of numbers for messages: a real in its shortest exact form ("nan"
// for any NaN, whatever its sign bit), an integer with a leading blank when
// not negative (" 7").
std::string real_image(double value);
std::string integer_image(std::int64_t value);
// An integer in plain decimal digits ("7", "-3"). Only integers: a real in a
// message always goes through real_image, never through a fixed number of
// decimals that can show a small value as 0.000000.
template <std::integral T>
std::string decimal(T value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, result.ptr);
}

}  // namespace phylo
