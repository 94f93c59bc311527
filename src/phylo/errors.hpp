// Error conditions of the library. Every failure travels as one of these
// exceptions to the single handler of the command-line driver, which sorts
// them into the three failure classes users see:
//   InvalidFilename -> "Invalid filename."   (class 1)
//   DataError       -> "Wrong file format."  (class 2)
//   everything else -> "tarvix: HEADING: MESSAGE" (class 3)
// A failure may also carry a detail for the user: where it happened (the
// file, the line, the label) and what to do about it. The handler writes it
// on a line of its own after the described line, which stays unchanged.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace phylo {

class Error : public std::runtime_error {
public:
    // heading: the full name of a named condition ("PHYLO.GROUP_NAMES.SIZE_ERROR")
    // or the kind of failure ("range error").
    Error(std::string heading, const std::string& message)
        : std::runtime_error(message), heading_(std::move(heading)) {}
    const std::string& heading() const noexcept { return heading_; }

    // The detail line's text, without the file it names: "line 4: ..."; empty
    // when the failure carries none.
    const std::string& detail() const noexcept { return detail_; }
    // The input the detail is about (an absolute path, "*stdin", or an option
    // such as "-s 0"); the first reader or caller that knows it fills it in.
    const std::string& subject() const noexcept { return subject_; }
    void set_detail(std::string detail) { detail_ = std::move(detail); }
    void set_subject(std::string subject) { subject_ = std::move(subject); }

private:
    std::string heading_;
    std::string detail_;
    std::string subject_;
};

// A file that cannot be opened or read.
class InvalidFilename : public Error {
public:
    explicit InvalidFilename(const std::string& name) : Error("invalid filename", name) {}
};

// Text that is not what a reader expects (a number that is not a number).
class DataError : public Error {
public:
    explicit DataError(const std::string& message) : Error("data error", message) {}
};

// An input whose bytes cannot become text: compressed data that is corrupt
// or cut short. Not "Wrong file format.", which is about the matrix text.
class InputError : public Error {
public:
    explicit InputError(const std::string& message) : Error("input error", message) {}
};

// A value outside its declared range.
class RangeError : public Error {
public:
    explicit RangeError(const std::string& message) : Error("range error", message) {}
};

// An index outside an array's range, or an empty array where one is needed.
class IndexError : public Error {
public:
    explicit IndexError(const std::string& message) : Error("index error", message) {}
};

// A negative distance where only distances of 0 or more make sense; it keeps
// the two matrix positions so that the driver can name the objects.
class NegativeDistance : public RangeError {
public:
    NegativeDistance(const std::string& message, std::size_t row, std::size_t column)
        : RangeError(message), row_(row), column_(column) {}
    std::size_t row() const noexcept { return row_; }
    std::size_t column() const noexcept { return column_; }

private:
    std::size_t row_;
    std::size_t column_;
};

// Input that ends too early.
class EndOfInput : public Error {
public:
    explicit EndOfInput(const std::string& message) : Error("end of input", message) {}
};

// Label map failures ("no element available because key not in map").
class ContainerError : public Error {
public:
    explicit ContainerError(const std::string& message) : Error("container error", message) {}
};

// Bad command-line values.
class OptionError : public Error {
public:
    explicit OptionError(const std::string& message) : Error("option error", message) {}
};

// A request for more memory than the machine can give.
class ResourceError : public Error {
public:
    explicit ResourceError(const std::string& message) : Error("resource error", message) {}
};

// Standard output could not take what was written (a full disk, a closed
// pipe whose signal is ignored): the report is lost, so the run fails.
class OutputError : public Error {
public:
    explicit OutputError(const std::string& reason) : Error("output error", reason) {}
};

// Shape or size mismatches; each package has its own named condition.
class SizeError : public Error {
public:
    SizeError(const char* condition, const std::string& message) : Error(condition, message) {}
};

// The full names of the size-error conditions.
namespace size_error {
inline constexpr const char* real_chars = "PHYLO.REAL_CHARS.BASIC.SIZE_ERROR";
inline constexpr const char* refno_chars = "PHYLO.REFNO_CHARS.BASIC.SIZE_ERROR";
inline constexpr const char* count_chars = "PHYLO.COUNT_CHARS.BASIC.SIZE_ERROR";
inline constexpr const char* boole_chars = "PHYLO.BOOLE_CHARS.BASIC.SIZE_ERROR";
inline constexpr const char* group_names = "PHYLO.GROUP_NAMES.SIZE_ERROR";
}  // namespace size_error

// Any other named condition that belongs to one algorithm
// ("PHYLO.GRAPH.INCIDENCE_TO_CLUSTERS.MISSING_OCCURRENCE").
class NamedError : public Error {
public:
    NamedError(const std::string& condition, const std::string& message) : Error(condition, message) {}
};

}  // namespace phylo
