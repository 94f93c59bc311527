// Buffered text output. Reports are written through one buffered writer on
// standard output; tests construct a capturing writer instead.
#pragma once

#include <string>
#include <string_view>

namespace phylo::io {

class Output {
public:
    // Writes to the file descriptor fd (1 for standard output).
    explicit Output(int fd);
    // Keeps everything written in memory (see captured()).
    Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    // Flushes; a failure here can no longer be reported and is dropped.
    ~Output();

    void write(std::string_view text);
    void put(char c) {
        buffer_.push_back(c);
        if (fd_ >= 0 && buffer_.size() >= flush_size) flush();
    }
    // Hands everything buffered to the file descriptor. A write that fails
    // is an OutputError naming the reason; what was buffered is dropped, so
    // nothing is written after the failure.
    void flush();
    // What a capturing writer has received so far.
    const std::string& captured() const noexcept { return buffer_; }

private:
    static constexpr std::size_t flush_size = 1 << 16;
    int fd_ = -1;
    std::string buffer_;
};

// The process's standard output.
Output& standard_output();

}  // namespace phylo::io
