// The number syntax of distance matrices and option values: an optional sign,
// then digits with an optional point and fraction or a point and digits, then
// an optional exponent. Integers have the same form without point and
// fraction. Scanning is greedy: it takes every character that can continue a
// number of this form, and what it took must then be a complete number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace phylo::io::number_syntax {

struct Scan {
    std::size_t length = 0;  // characters taken
    bool complete = false;   // they form a complete number
    bool at_text_end = false;  // the text ended while the number could go on
};

// Scans a real (or, with integer = true, an integer) at the start of text.
Scan scan(std::string_view text, bool integer);

// The value of a complete real; nullopt when it overflows the double range.
// Values too small for a double read as (signed) zero or a subnormal.
std::optional<double> real_value(std::string_view token);

// The value of a complete integer token (exponent allowed: "3E1" is 30);
// nullopt when it is not whole ("3E-1") or does not fit 32 bits.
std::optional<std::int32_t> integer_value(std::string_view token);

// A whole text holding one real (blanks around allowed), else nullopt.
std::optional<double> parse_real(std::string_view text);
// A whole text holding one integer of optional sign and decimal digits
// within 32 bits (blanks around allowed), else nullopt.
std::optional<std::int32_t> parse_integer(std::string_view text);

}  // namespace phylo::io::number_syntax
