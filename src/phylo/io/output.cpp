#include "phylo/io/output.hpp"

#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "phylo/errors.hpp"

namespace phylo::io {

Output::Output(int fd) : fd_(fd) { buffer_.reserve(flush_size * 2); }

Output::Output() = default;

Output::~Output() {
    try {
        flush();
    } catch (const OutputError&) {
    }
}

void Output::write(std::string_view text) {
    buffer_.append(text);
    if (fd_ >= 0 && buffer_.size() >= flush_size) flush();
}

void Output::flush() {
    if (fd_ < 0) return;
    const char* p = buffer_.data();
    std::size_t left = buffer_.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            // A full disk, or a closed pipe when SIGPIPE is ignored (by
            // default the signal ends the process silently, as pipelines
            // such as "tarvix ... | head" expect).
            const int reason = errno;
            buffer_.clear();
            throw OutputError(std::strerror(reason));
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    buffer_.clear();
}

Output& standard_output() {
    static Output out(1);
    return out;
}

}  // namespace phylo::io
