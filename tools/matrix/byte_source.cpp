#include "byte_source.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "errors.hpp"

namespace tarvix::matrix {

namespace {

class FdSource final : public ByteSource {
public:
    FdSource(int fd, bool owned, std::string name) : fd_(fd), owned_(owned), name_(std::move(name)) {}
    ~FdSource() override {
        if (owned_) ::close(fd_);
    }
    FdSource(const FdSource&) = delete;
    FdSource& operator=(const FdSource&) = delete;

    std::size_t read(char* buffer, std::size_t size) override {
        for (;;) {
            const ssize_t got = ::read(fd_, buffer, size);
            if (got >= 0) return static_cast<std::size_t>(got);
            if (errno != EINTR) throw FileError(name_ + ": cannot read: " + std::strerror(errno));
        }
    }
    const std::string& name() const override { return name_; }

private:
    int fd_;
    bool owned_;
    std::string name_;
};

class MemorySource final : public ByteSource {
public:
    MemorySource(std::string text, std::string name) : text_(std::move(text)), name_(std::move(name)) {}
    std::size_t read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min(size, text_.size() - position_);
        std::memcpy(buffer, text_.data() + position_, n);
        position_ += n;
        return n;
    }
    const std::string& name() const override { return name_; }

private:
    std::string text_;
    std::string name_;
    std::size_t position_ = 0;
};

}  // namespace

std::unique_ptr<ByteSource> open_source(const std::string& path) {
    if (path == "-") return std::make_unique<FdSource>(0, false, "*stdin");
    std::error_code ignored;
    std::string name = std::filesystem::absolute(path, ignored).lexically_normal().string();
    if (name.empty()) name = path;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw FileError(name + ": cannot open: " + std::strerror(errno));
    return std::make_unique<FdSource>(fd, true, std::move(name));
}

std::unique_ptr<ByteSource> memory_source(std::string text, std::string name) {
    return std::make_unique<MemorySource>(std::move(text), std::move(name));
}

}  // namespace tarvix::matrix
