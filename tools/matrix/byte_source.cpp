#include "byte_source.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "errors.hpp"
#include "phylo/errors.hpp"
#include "phylo/io/byte_source.hpp"

namespace tarvix::matrix {

namespace {

// A file descriptor read through the library's byte source, which
// decompresses gzip data (recognised by its first bytes, never by the name)
// on a thread of its own.
class FdSource final : public ByteSource {
public:
    FdSource(int fd, bool owned, std::string name) : fd_(fd), owned_(owned), name_(std::move(name)) {}
    ~FdSource() override {
        source_.reset();  // the decompressing thread stops before the file closes
        if (owned_) ::close(fd_);
    }
    FdSource(const FdSource&) = delete;
    FdSource& operator=(const FdSource&) = delete;

    std::size_t read(char* buffer, std::size_t size) override {
        try {
            if (!source_) source_ = phylo::io::open_byte_source(fd_, name_);
            return source_->read(buffer, size);
        } catch (const phylo::InputError& e) {
            throw FileError(e.what());  // already names the file
        } catch (const phylo::Error&) {
            throw FileError(name_ + ": cannot read: " + std::strerror(errno));
        }
    }
    const std::string& name() const override { return name_; }

private:
    int fd_;
    bool owned_;
    std::string name_;
    std::unique_ptr<phylo::io::ByteSource> source_;
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
