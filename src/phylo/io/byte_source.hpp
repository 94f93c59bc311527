// Where the characters of an input come from: an open file descriptor read
// as it is, or, when its first two bytes are the gzip magic 1f 8b, the same
// descriptor decompressed by a thread of its own that fills blocks ahead of
// the reader. Compressed data is recognised by its content, never by a file
// name, so standard input and files named anything work alike.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace phylo::io {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Copies up to capacity bytes of the text into `into`; 0 means the text
    // has ended. Throws InvalidFilename when the descriptor cannot be read
    // and InputError when compressed data is corrupt or cut short.
    virtual std::size_t read(char* into, std::size_t capacity) = 0;
    // For progress: how many bytes of the underlying file have been taken,
    // and how large it is (0 when unknown, as for a pipe).
    virtual std::size_t file_bytes_read() const noexcept = 0;
    virtual std::size_t file_size() const noexcept = 0;
    // True when the text is decompressed from the file.
    virtual bool compressed() const noexcept = 0;
};

// Looks at the first bytes of fd (reading them) and returns the matching
// source. The descriptor stays the caller's: the source never closes it,
// and it must outlive the source. name is used in messages.
std::unique_ptr<ByteSource> open_byte_source(int fd, const std::string& name);

}  // namespace phylo::io
