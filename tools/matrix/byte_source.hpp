// Where the bytes of an input come from. The readers see only this interface,
// so a decompressing source can stand in for a plain file without them
// knowing.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace tarvix::matrix {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Fills at most `size` bytes of `buffer`; returns how many, 0 at the end.
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
    // The name used in messages: the absolute path, or *stdin.
    virtual const std::string& name() const = 0;
};

// A source over a file descriptor: a named file, or standard input for "-".
// Throws FileError when the file cannot be opened.
std::unique_ptr<ByteSource> open_source(const std::string& path);

// A source over bytes held in memory (for tests, and for text already read).
std::unique_ptr<ByteSource> memory_source(std::string text, std::string name = "*memory");

}  // namespace tarvix::matrix
