// The failures of tarvix-matrix. Every one ends the run with one line on
// standard error and exit status 1; the matrix is built whole before anything
// is written, so a failure never leaves part of a matrix behind.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace tarvix::matrix {

// A command line that cannot be followed.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Input that cannot become a matrix. `line` is 0 when the problem belongs to
// the input as a whole (missing pairs, a duplicate label) rather than to one
// line of it.
class InputError : public std::runtime_error {
public:
    InputError(std::size_t line, const std::string& message) : std::runtime_error(message), line_(line) {}
    std::size_t line() const noexcept { return line_; }

private:
    std::size_t line_;
};

// A file that cannot be opened, read or written.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace tarvix::matrix
