#include "phylo/io/read_failure.hpp"

#include <algorithm>
#include <array>
#include <vector>

#include "phylo/io/number_syntax.hpp"
#include "phylo/number_images.hpp"

namespace phylo::io::read {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The rest of the current line from the current position (at most 4096
// characters), without its line end or carriage return.
std::string_view rest_of_line(TextInput& input) {
    std::string_view text = input.look_ahead(4096);
    text = text.substr(0, text.find('\n'));
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    return text;
}

std::string_view first_word(std::string_view text) {
    std::size_t end = 0;
    while (end < text.size() && !is_blank(text[end])) ++end;
    return text.substr(0, end);
}

std::vector<std::string_view> split(std::string_view text, bool tabs_only) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i <= text.size()) {
        if (!tabs_only) {
            while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
            if (i == text.size()) break;
        }
        std::size_t end = i;
        while (end < text.size() && text[end] != '\t' && (tabs_only || text[end] != ' ')) ++end;
        fields.push_back(text.substr(i, end - i));
        i = end + 1;
    }
    return fields;
}

bool is_number(std::string_view word) { return number_syntax::parse_real(word).has_value(); }

std::string line_part(std::size_t line) { return line > 0 ? "line " + decimal(static_cast<long long>(line)) + ": " : ""; }

// The compressed and archive formats users meet, by their first bytes, with
// the command that unpacks each to a file and to a pipe.
struct Packing {
    std::string_view bytes;
    const char* name;
    const char* to_file;
    const char* to_pipe;
};

const Packing* compression(std::string_view start) {
    static const std::array<Packing, 5> packings = {{{"\x1f\x8b", "gzip", "gunzip -k", "gunzip -c"},
                                                     {"BZh", "bzip2", "bunzip2 -k", "bunzip2 -c"},
                                                     {"\xfd" "7zXZ", "xz", "unxz -k", "unxz -c"},
                                                     {"\x28\xb5\x2f\xfd", "zstd", "unzstd", "unzstd -c"},
                                                     {"PK\x03\x04", "zip", "unzip", "unzip -p"}}};
    for (const Packing& p : packings)
        if (start.substr(0, p.bytes.size()) == p.bytes) return &p;
    return nullptr;
}

bool looks_binary(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 32 && c != '\t' && c != '\r' && c != '\n';
    });
}

bool is_missing_value(std::string_view word) {
    static const std::array<std::string_view, 11> marks = {"NA", "na", "N/A", "n/a", "NaN", "nan", "NAN",
                                                           "-",  "?",  "null", "NULL"};
    return std::find(marks.begin(), marks.end(), word) != marks.end();
}

// Says what a file whose first line holds no object count probably is.
std::string guess_from_first_line(std::string_view line, const std::string& name) {
    const std::vector<std::string_view> tab_fields = split(line, true);
    const std::vector<std::string_view> words = split(line, false);
    if (line.find("Query_file") != std::string_view::npos || line.find("Ref_file") != std::string_view::npos)
        return "this looks like skani output: convert it with `" + conversion_command(name) + "`";
    if (tab_fields.size() == 5 || (words.size() == 3 && is_number(words[2])))
        return "this looks like a list of pairs (fastANI, mash dist or label, label, distance): convert it with `" +
               conversion_command(name) + "`";
    if (tab_fields.size() >= 2 && !is_number(tab_fields[1]))
        return "this looks like a partition file (label, tab, group): the reference goes after its option "
               "(-o FILE), the matrices after all options";
    if (words.size() == 1)
        return "if this is the first label of a matrix, the object count is missing: put the number of objects "
               "on a line of its own before the rows";
    return "a matrix begins with its number of objects on a line of its own";
}

}  // namespace

std::string shown(std::string_view word) {
    std::string text = "\"";
    for (std::size_t i = 0; i < word.size() && i < 40; ++i) {
        const auto u = static_cast<unsigned char>(word[i]);
        text.push_back(u < 32 || u == 127 ? '?' : word[i]);
    }
    if (word.size() > 40) text += "...";
    return text + "\"";
}

std::string conversion_command(const std::string& input_name) {
    if (input_name == "*stdin") return "tarvix-matrix < FILE > m.dst";
    return "tarvix-matrix " + input_name + " > m.dst";
}

void describe_header_failure(TextInput& input, Error& failure, DistInputFormat format, std::size_t header_start) {
    if (!failure.detail().empty()) return;
    if (failure.subject().empty()) failure.set_subject(input.name());
    if (dynamic_cast<const RangeError*>(&failure) != nullptr) {
        const std::size_t line = input.line_at(input.offset() > header_start ? input.offset() - 1 : header_start);
        if (format == DistInputFormat::TAB_SEPARATED) {
            failure.set_detail(line_part(line) +
                               "a tab-separated matrix begins with a header line holding a tab before each label; "
                               "this line holds none (a blank line before the matrix? a matrix in another layout "
                               "needs no -t)");
        } else {
            failure.set_detail(line_part(line) + "a matrix begins with its number of objects, 1 or more");
        }
        return;
    }
    const std::size_t line = input.line_number();
    const std::string_view text = input.look_ahead(64);
    if (const Packing* packing = compression(text)) {
        failure.set_detail(std::string("the file is ") + packing->name +
                           "-compressed; tarvix reads plain text and gzip: decompress it first (" + packing->to_file +
                           " FILE), or pipe it in: " + packing->to_pipe + " FILE | tarvix ... -");
        return;
    }
    if (looks_binary(text)) {
        failure.set_detail(line_part(line) + "binary data, not a text matrix");
        return;
    }
    if (dynamic_cast<const EndOfInput*>(&failure) != nullptr) {
        failure.set_detail(line_part(line) + "the input ends where the number of objects belongs");
        return;
    }
    const std::string_view rest = rest_of_line(input);
    const std::string_view token = first_word(rest);
    // A line led by a tab is the header line of a tab-separated matrix.
    const std::string guess = input.before() == '\t'
                                  ? "this looks like a tab-separated matrix (a header line of labels): read it with -t"
                                  : guess_from_first_line(rest, input.name());
    failure.set_detail(line_part(line) + shown(token) + " where the number of objects belongs; " + guess);
}

void describe_row_failure(TextInput& input, Error& failure, DistInputFormat format, const RowPlace& place,
                          const Labels& labels) {
    if (!failure.detail().empty()) return;
    if (failure.subject().empty()) failure.set_subject(input.name());
    const std::string n = decimal(static_cast<long long>(place.objects));
    const std::string row_number = decimal(static_cast<long long>(place.row + 1));
    const std::string row = place.labelled && place.row < labels.size()
                                ? "row " + shown(labels[place.row]) + " (" + row_number + " of " + n + ")"
                                : "row " + row_number + " of " + n;
    const std::string value = "value " + decimal(static_cast<long long>(place.values + 1)) + " of " + n;
    const bool ended = dynamic_cast<const EndOfInput*>(&failure) != nullptr;
    // At the end of the input, the line of the last character read.
    const std::size_t line = input.line_at(ended && input.offset() > 0 ? input.offset() - 1 : input.offset());

    if (ended) {
        if (!place.labelled)
            failure.set_detail(line_part(line) + "the input ends before " + row + " begins; the header announces " +
                               n + " objects: is that count right?");
        else
            failure.set_detail(line_part(line) + "the input ends in " + row + " after " +
                               decimal(static_cast<long long>(place.values)) + " of " + n +
                               " values; is the object count right?");
        return;
    }
    const std::string why = failure.what();
    const auto ends_with = [&why](std::string_view tail) {
        return why.size() >= tail.size() && why.compare(why.size() - tail.size(), tail.size(), tail) == 0;
    };
    if (ends_with("number out of range")) {
        failure.set_detail(line_part(line) + "in " + row + ", " + value +
                           " is beyond the range of doubles (about 1.8E308)");
        return;
    }
    if (ends_with("number too long")) {
        failure.set_detail(line_part(line) + "in " + row + ", " + value + " is a number of over a million characters");
        return;
    }
    // Before looking ahead, which may move the buffer.
    const bool starts_line = input.first_word_of_line();
    const std::string_view rest = rest_of_line(input);
    const std::string_view token = first_word(rest);
    std::string convert = conversion_command(input.name());
    convert.insert(convert.begin(), '`');
    convert.push_back('`');
    if (looks_binary(token)) {
        failure.set_detail(line_part(line) + "binary data in " + row + ", not a text matrix");
        return;
    }
    if (is_missing_value(token)) {
        failure.set_detail(line_part(line) + shown(token) + " in " + row + " where " + value +
                           " belongs is a missing value; tarvix needs every distance: fill it in (fastANI --matrix "
                           "output and triangles with NA convert with " + convert + ")");
        return;
    }
    if (starts_line && place.values < place.objects) {
        // The row ended on an earlier line: the text here is the next row's label.
        const std::string ended = row + " ends after " + decimal(static_cast<long long>(place.values)) + " of " + n +
                                  " values, before " + shown(token);
        if (place.values == place.row || place.values == place.row + 1) {
            failure.set_detail(line_part(line) + ended +
                               ": this looks like a lower triangle (mothur, mash triangle, skani triangle, fastANI "
                               "--matrix); tarvix reads full square matrices: convert it with " + convert);
        } else if (place.row == 0 && place.values + 1 == place.objects) {
            failure.set_detail(line_part(line) + ended +
                               ": this looks like an upper triangle; tarvix reads full square matrices: convert it "
                               "with " + convert);
        } else {
            failure.set_detail(line_part(line) + ended + "; every row holds all " + n +
                               " distances: is the object count right?");
        }
        return;
    }
    if (place.values == 0 && format == DistInputFormat::EXTENDED_PHYLIP && place.labelled &&
        place.row < labels.size()) {
        failure.set_detail(line_part(line) + "the label of " + row + " is followed by " + shown(token) +
                           " where the first distance belongs: labels in the extended PHYLIP layout end at the "
                           "first blank; join the words (" + labels[place.row] + "_" + std::string(token.substr(0, 40)) +
                           "), or read a tab-separated file with -t");
        return;
    }
    if (token.find(',') != std::string_view::npos || token.find(';') != std::string_view::npos) {
        failure.set_detail(line_part(line) + shown(token) + " in " + row + " where " + value +
                           " belongs: values are separated by blanks or tabs and written with a decimal point, "
                           "not commas");
        return;
    }
    failure.set_detail(line_part(line) + shown(token) + " in " + row + " where " + value +
                       " belongs is not a number (numbers look like 0.25, 1e-3 or 7)");
}

}  // namespace phylo::io::read
