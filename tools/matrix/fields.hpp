// The fields of a line: split at tabs (the genome tools' tables) or at runs
// of blanks (pair lists and triangles).
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarvix::matrix {

constexpr std::size_t kMaxFields = 64;

inline bool is_blank(char c) noexcept { return c == ' ' || c == '\t'; }

inline bool blank_line(std::string_view line) noexcept {
    for (char c : line)
        if (!is_blank(c)) return false;
    return true;
}

// Splits at every tab; returns the number of fields, at most kMaxFields + 1
// (a line with more is reported by its count being wrong anyway). Sixteen
// bytes at a time where the processor has SSE2: this runs once per line of
// inputs of a hundred million lines.
inline std::size_t split_tabs(std::string_view line, std::array<std::string_view, kMaxFields + 1>& fields) noexcept {
    std::size_t n = 0;
    std::size_t start = 0;
    const char* text = line.data();
    const std::size_t size = line.size();
    std::size_t i = 0;
    auto field_ends_at = [&](std::size_t tab) {
        fields[n++] = line.substr(start, tab - start);
        start = tab + 1;
        return n == kMaxFields;
    };
#if defined(__SSE2__)
    const __m128i tabs = _mm_set1_epi8('\t');
    for (; i + 16 <= size; i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, tabs)));
        for (; mask != 0; mask &= mask - 1)
            if (field_ends_at(i + static_cast<std::size_t>(__builtin_ctz(mask)))) {
                fields[n++] = line.substr(start);
                return n;
            }
    }
#endif
    for (; i < size; ++i)
        if (text[i] == '\t' && field_ends_at(i)) {
            fields[n++] = line.substr(start);
            return n;
        }
    fields[n++] = line.substr(start);
    return n;
}

// Splits at runs of blanks, ignoring blanks at both ends.
inline std::size_t split_blanks(std::string_view line, std::array<std::string_view, kMaxFields + 1>& fields) noexcept {
    std::size_t n = 0;
    std::size_t i = 0;
    while (n <= kMaxFields) {
        while (i < line.size() && is_blank(line[i])) ++i;
        if (i == line.size()) break;
        const std::size_t start = i;
        while (i < line.size() && !is_blank(line[i])) ++i;
        fields[n++] = line.substr(start, i - start);
    }
    return n;
}

}  // namespace tarvix::matrix
