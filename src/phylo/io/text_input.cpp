#include "phylo/io/text_input.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "phylo/errors.hpp"
#include "phylo/io/byte_source.hpp"

namespace phylo::io {

namespace {

constexpr std::size_t block_size = std::size_t{1} << 22;

std::string absolute_name(const std::string& name) {
    std::error_code ignored;
    const auto path = std::filesystem::absolute(name, ignored);
    return path.empty() ? name : path.string();
}

}  // namespace

TextInput::TextInput(int fd, std::string name, bool owns_fd)
    : fd_(fd), owns_fd_(owns_fd), name_(std::move(name)) {
    struct stat info {};
    if (fd_ >= 0 && ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode)) {
        file_size_ = static_cast<std::size_t>(info.st_size);
        const off_t start = ::lseek(fd_, 0, SEEK_CUR);
        seekable_ = start >= 0;
        start_offset_ = start >= 0 ? static_cast<long long>(start) : 0;
    }
}

TextInput::~TextInput() {
    source_.reset();  // a decompressing thread stops before its file closes
    if (owns_fd_ && fd_ >= 0) ::close(fd_);
}

std::unique_ptr<TextInput> TextInput::open(const std::string& name) {
    const auto refuse = [&name](const std::string& why) {
        InvalidFilename failure(name);
        failure.set_subject(absolute_name(name));
        failure.set_detail(why);
        return failure;
    };
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT) throw refuse(name.empty() ? "an empty file name" : "no such file");
        if (error == EACCES) throw refuse("not readable (permission denied)");
        throw refuse(std::strerror(error));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        throw refuse("a folder, not a file; name a file in it");
    }
    return std::unique_ptr<TextInput>(new TextInput(fd, absolute_name(name), true));
}

std::unique_ptr<TextInput> TextInput::from_text(std::string text, std::string name) {
    std::unique_ptr<TextInput> input(new TextInput(-1, std::move(name), false));
    input->capacity_ = text.size() + 1;
    input->buffer_.reset(new char[input->capacity_]);
    std::memcpy(input->buffer_.get(), text.data(), text.size());
    input->end_ = text.size();
    input->file_size_ = text.size();
    input->eof_ = true;
    return input;
}

TextInput& TextInput::standard_input() {
    static TextInput input(0, "*stdin", false);
    return input;
}

// Reads one more block behind what is buffered, moving the unread rest to the
// front (or growing the buffer when the rest fills it). False at the end.
// A caller that wants many characters at once (a block of rows) says so: the
// buffer of a file then grows once to hold them, up to what the file has
// left, instead of doubling block by block, each time copying the text and
// touching fresh memory.
bool TextInput::refill(std::size_t wanted) {
    if (held_failure_) std::rethrow_exception(held_failure_);
    if (eof_ || fd_ < 0) return false;
    const std::size_t ahead = spare_ready_ ? spare_end_ - headroom : 0;
    if (spare_ready_ && end_ - pos_ <= headroom) {
        // The unread rest goes in front of the characters read ahead, and
        // the two buffers change places: nothing large is copied.
        spare_ready_ = false;
        const std::size_t rest = end_ - pos_;
        const std::size_t start = headroom - rest;
        std::memcpy(spare_.get() + start, buffer_.get() + pos_, rest);
        consumed_ = consumed_ + pos_ - start;  // what was taken stays counted
        std::swap(buffer_, spare_);
        std::swap(capacity_, spare_capacity_);
        pos_ = start;
        end_ = spare_end_;
        if (progress_) progress_(source_->file_bytes_read(), source_->file_size());
        return true;
    }
    if (pos_ > 0) {
        if (!seekable_) dropped_lines_ += static_cast<std::size_t>(std::count(buffer_.get(), buffer_.get() + pos_, '\n'));
        last_dropped_ = buffer_[pos_ - 1];
        std::memmove(buffer_.get(), buffer_.get() + pos_, end_ - pos_);
        consumed_ += pos_;
        end_ -= pos_;
        pos_ = 0;
    }
    const std::size_t unread = file_size_ > consumed_ + end_ ? file_size_ - (consumed_ + end_) : 0;
    const std::size_t room = std::max({block_size, ahead, std::min(wanted, unread)});
    if (capacity_ - end_ < room) {
        const std::size_t capacity = std::max(capacity_ * 2, end_ + room);
        std::unique_ptr<char[]> bigger;
        try {
            bigger.reset(new char[capacity]);
        } catch (const std::bad_alloc&) {
            throw ResourceError("not enough memory to buffer " + name_);
        }
        if (end_ > 0) std::memcpy(bigger.get(), buffer_.get(), end_);
        buffer_ = std::move(bigger);
        capacity_ = capacity;
    }
    if (spare_ready_) {
        // A rest too long for the headroom: the characters read ahead join it.
        spare_ready_ = false;
        std::memcpy(buffer_.get() + end_, spare_.get() + headroom, ahead);
        end_ += ahead;
        return true;
    }
    if (!source_) {
        source_ = open_byte_source(fd_, name_);
        if (source_->compressed()) {
            file_size_ = 0;      // the text's size is not the file's
            seekable_ = false;  // nor are its line ends the file's: count them as they go
        }
    }
    const std::size_t n = source_->read(buffer_.get() + end_, capacity_ - end_);
    if (progress_) progress_(source_->file_bytes_read(), source_->file_size());
    if (n == 0) {
        eof_ = true;
        return false;
    }
    end_ += n;
    return true;
}

bool TextInput::read_ahead(std::size_t count) noexcept {
    if (!may_read_ahead() || count == 0) return false;
    std::size_t have = headroom;
    try {
        if (spare_capacity_ < headroom + count) {
            spare_.reset();
            spare_capacity_ = 0;
            spare_.reset(new char[headroom + count]);
            spare_capacity_ = headroom + count;
        }
        while (have < headroom + count) {
            const std::size_t n = source_->read(spare_.get() + have, headroom + count - have);
            if (n == 0) break;
            have += n;
        }
    } catch (...) {
        // What was read stays; the failure repeats where the ordinary reading
        // asks the file for more.
    }
    spare_end_ = have;
    spare_ready_ = have > headroom;
    return spare_ready_;
}

void TextInput::verify_rest() {
    if (at_end() || !source_ || !source_->compressed()) return;
    do {
        pos_ = end_;
    } while (!at_end());
}

std::size_t TextInput::ensure(std::size_t count) {
    while (end_ - pos_ < count) {
        try {
            if (!refill(count - (end_ - pos_))) break;
        } catch (...) {
            // A failure of the file met while characters are still buffered
            // waits until the reader has taken them: the text before the
            // damage is read (and a matrix that ends there reported) before
            // the run fails, as with the same damage in a plain file.
            if (end_ == pos_) throw;
            held_failure_ = std::current_exception();
            break;
        }
    }
    return std::min(count, end_ - pos_);
}

bool TextInput::only_blank_lines_left() {
    std::size_t i = pos_;
    for (;;) {
        for (; i < end_; ++i) {
            const char c = buffer_[i];
            if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
        }
        const std::size_t seen = i - pos_;
        if (!refill()) return true;
        i = pos_ + seen;
    }
}

void TextInput::skip_rest() {
    if (at_end() || peek() == '\n') return;  // at a line end: the line end stays
    for (;;) {
        const char* begin = buffer_.get() + pos_;
        const void* newline = std::memchr(begin, '\n', end_ - pos_);
        if (newline != nullptr) {
            pos_ += static_cast<std::size_t>(static_cast<const char*>(newline) - begin) + 1;
            return;
        }
        pos_ = end_;
        if (!refill()) return;
    }
}

std::string TextInput::read_line() {
    std::string line;
    // Nothing buffered yet (no buffer at all before the first read).
    if (pos_ == end_ && !refill()) return line;
    for (;;) {
        const char* begin = buffer_.get() + pos_;
        const void* newline = std::memchr(begin, '\n', end_ - pos_);
        if (newline != nullptr) {
            const std::size_t offset = static_cast<const char*>(newline) - begin;
            line.append(begin, offset);
            pos_ += offset + 1;
            return line;
        }
        line.append(begin, end_ - pos_);
        pos_ = end_;
        if (!refill()) return line;
    }
}

std::size_t TextInput::line_at(std::size_t offset) {
    if (offset > consumed_ + end_) offset = consumed_ + end_;
    std::size_t lines = 1;
    if (offset < consumed_ || (consumed_ > 0 && seekable_)) {
        if (!seekable_) return 0;  // a pipe's dropped text is gone
        // Count the line ends of the file from where the reading began.
        const std::size_t upto = std::min(offset, consumed_);
        std::unique_ptr<char[]> block(new char[1 << 16]);
        std::size_t done = 0;
        while (done < upto) {
            const std::size_t want = std::min<std::size_t>(upto - done, 1 << 16);
            const ssize_t n = ::pread(fd_, block.get(), want, static_cast<off_t>(start_offset_ + static_cast<long long>(done)));
            if (n <= 0) return 0;
            lines += static_cast<std::size_t>(std::count(block.get(), block.get() + n, '\n'));
            done += static_cast<std::size_t>(n);
        }
        if (offset < consumed_) return lines;
    } else {
        lines += dropped_lines_;
    }
    return lines + static_cast<std::size_t>(std::count(buffer_.get(), buffer_.get() + (offset - consumed_), '\n'));
}

bool TextInput::first_word_of_line() const noexcept {
    for (std::size_t i = pos_; i > 0; --i) {
        const char c = buffer_[i - 1];
        if (c == '\n') return true;
        if (c != ' ' && c != '\t') return false;
    }
    return consumed_ == 0 || last_dropped_ == '\n';
}

std::string_view TextInput::look_ahead(std::size_t count) {
    const std::size_t available = ensure(count);
    return {buffer_.get() + pos_, available};
}

std::size_t TextInput::known_remaining() const noexcept {
    const std::size_t read_so_far = consumed_ + pos_;
    return file_size_ > read_so_far ? file_size_ - read_so_far : 0;
}

}  // namespace phylo::io
