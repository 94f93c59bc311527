#include "line_reader.hpp"

#include <ios>
#include <streambuf>

namespace tarvix::plot {

std::optional<std::string> LineReader::next() {
    if (returned_) {
        ++line_number_;
        std::optional<std::string> line = std::move(returned_);
        returned_.reset();
        return line;
    }
    std::streambuf* buffer = in_.rdbuf();
    if (buffer == nullptr) return std::nullopt;
    std::string line;
    bool any = false;
    try {
        for (int c = buffer->sbumpc(); c != std::char_traits<char>::eof(); c = buffer->sbumpc()) {
            any = true;
            if (c == '\n') break;
            if (line.size() == max_line_length) {
                ++line_number_;
                throw error("the line is longer than " + std::to_string(max_line_length) + " characters");
            }
            line.push_back(static_cast<char>(c));
        }
    } catch (const std::ios_base::failure& e) {
        // The file buffer reports read errors (an input that went away) this way.
        throw error_at(line_number_ + 1, std::string("reading failed: ") + e.what());
    }
    if (!any) return std::nullopt;
    ++line_number_;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

void LineReader::put_back(std::string line) {
    returned_ = std::move(line);
    --line_number_;
}

InputError LineReader::error_at(std::size_t line, const std::string& what) const {
    return InputError(source_ + ": line " + std::to_string(line) + ": " + what);
}

}  // namespace tarvix::plot
