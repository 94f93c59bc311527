// Values as text: the number syntax of tarvix's matrix reader, and the turn
// of a similarity into a distance done on the decimal digits themselves, so
// that a percentage given with k decimals becomes the exact decimal distance
// (82.465042 becomes 0.17534958, never 0.17534958000000003).
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace tarvix::matrix {

// How a value of the input becomes a distance.
enum class Conversion {
    percent,   // a similarity in percent: (100 - x) / 100
    fraction,  // a similarity in 0 .. 1:  1 - x
    none,      // already a distance
};

// A value whose text is not acceptable; the message names the value and the
// problem, the caller adds the file and the line.
class ValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// True when `text` is, whole, a number in the reader's syntax: an optional
// sign, digits with an optional point and fraction or a point and digits, an
// optional exponent.
bool is_number(std::string_view text) noexcept;

// The distance that `text` stands for under `conversion`, correctly rounded
// from the exact decimal result. `scratch` is working space that callers
// reuse, so that a converted line allocates nothing once it has grown.
// Throws ValueError for text that is not a number, a negative distance, a
// similarity outside 0 .. 100 % (or 0 .. 1), and a value beyond the range of
// a double.
double to_distance(std::string_view text, Conversion conversion, std::string& scratch);

// The shortest text that reads back to the same double.
// `buffer` needs room for 32 characters; returns the end of the text.
char* write_shortest(char* buffer, double value) noexcept;

}  // namespace tarvix::matrix
