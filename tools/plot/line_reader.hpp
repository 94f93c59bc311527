// Line-by-line reading with line numbers for messages.
#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <string>

#include "table.hpp"

namespace tarvix::plot {

class LineReader {
public:
    // Longer lines are refused: no table of tarvix comes near this, and a
    // binary file without line ends must not fill the memory.
    static constexpr std::size_t max_line_length = std::size_t{1} << 20;

    LineReader(std::istream& in, std::string source) : in_(in), source_(std::move(source)) {}

    // The next line without its line end (and without a carriage return
    // before it), or nothing at the end of the input.
    std::optional<std::string> next();

    // Hands the line just read back, so that the next call returns it again.
    void put_back(std::string line);

    std::size_t line_number() const { return line_number_; }

    // An InputError that names the input and the current line.
    InputError error(const std::string& what) const { return error_at(line_number_, what); }
    InputError error_at(std::size_t line, const std::string& what) const;

private:
    std::istream& in_;
    std::string source_;
    std::size_t line_number_ = 0;
    std::optional<std::string> returned_;
};

}  // namespace tarvix::plot
