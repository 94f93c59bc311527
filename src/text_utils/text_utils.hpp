// The small string library the readers and printers rely on: splitting a
// line into fields with separator and quote characters, and character
// mappings over whole character sets.
#pragma once

#include <array>
#include <bitset>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace text_utils {

// The failure of a pattern that cannot be used (separator and quote sets
// that overlap). The command line reports it like the library's own
// failures.
class PatternError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A set of 8-bit characters.
using CharacterSet = std::bitset<256>;
// A total mapping from characters to characters.
using CharacterMapping = std::array<char, 256>;

inline std::size_t code(char c) noexcept { return static_cast<unsigned char>(c); }

// The space and the control characters 0-31 and 127-159.
const CharacterSet& whitespace();
// The complement of whitespace().
const CharacterSet& blackspace();

inline bool is_whitespace(char c) noexcept {
    const unsigned u = static_cast<unsigned char>(c);
    return u <= 32 || (u >= 127 && u <= 159);
}

// A set holding exactly the given characters.
CharacterSet to_set(std::string_view characters);

// Cuts source into fields at separators outside quoted stretches. Quote
// characters open and close a stretch and are dropped; a pair of quote
// characters stands for one literal quote, except as the last two characters
// of the source. n separators give n + 1 fields; an empty source gives none.
// Overlapping separator and quote sets are a PatternError "text_utils:1165".
std::vector<std::string> split(std::string_view source, const CharacterSet& separators,
                               const CharacterSet& quotes);

// The mapping that sends every member of set to `to` and every other
// character to itself.
CharacterMapping map_all(const CharacterSet& set, char to);

// Applies a mapping to every character of text.
std::string translate(std::string_view text, const CharacterMapping& mapping);

}  // namespace text_utils
