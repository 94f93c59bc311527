#include "text_utils/text_utils.hpp"

namespace text_utils {

namespace {

CharacterSet make_whitespace() {
    CharacterSet set;
    for (unsigned c = 0; c < 256; ++c) set[c] = is_whitespace(static_cast<char>(c));
    return set;
}

}  // namespace

const CharacterSet& whitespace() {
    static const CharacterSet set = make_whitespace();
    return set;
}

const CharacterSet& blackspace() {
    static const CharacterSet set = ~whitespace();
    return set;
}

CharacterSet to_set(std::string_view characters) {
    CharacterSet set;
    for (char c : characters) set[code(c)] = true;
    return set;
}

std::vector<std::string> split(std::string_view source, const CharacterSet& separators,
                               const CharacterSet& quotes) {
    if ((separators & quotes).any()) throw PatternError("text_utils:1165");
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    bool skip = false;
    const std::size_t last = source.size() - 1;  // only used when source is non-empty
    for (std::size_t i = 0; i < source.size(); ++i) {
        const char c = source[i];
        if (quotes[code(c)]) {
            if (skip) {
                skip = false;
            } else if (i + 1 < last && quotes[code(source[i + 1])]) {
                // A doubled quote stands for one literal quote, unless the
                // pair ends the source: then it is an empty quoted stretch.
                field.push_back(c);
                skip = true;
            } else {
                quoted = !quoted;
            }
        } else if (separators[code(c)] && !quoted) {
            fields.push_back(std::move(field));
            field.clear();
        } else {
            field.push_back(c);
        }
    }
    if (!source.empty()) fields.push_back(std::move(field));
    return fields;
}

CharacterMapping map_all(const CharacterSet& set, char to) {
    CharacterMapping mapping;
    for (unsigned c = 0; c < 256; ++c) mapping[c] = set[c] ? to : static_cast<char>(c);
    return mapping;
}

std::string translate(std::string_view text, const CharacterMapping& mapping) {
    std::string result(text);
    for (char& c : result) c = mapping[code(c)];
    return result;
}

}  // namespace text_utils
