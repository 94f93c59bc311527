#include "line_reader.hpp"

#include <algorithm>
#include <cstring>
#include <string>

#include "errors.hpp"
#include "progress.hpp"

namespace tarvix::matrix {

namespace {
constexpr std::size_t kBlock = std::size_t{4} << 20;
}

LineReader::LineReader(ByteSource& source, std::size_t max_line, Progress* progress)
    : source_(source), max_line_(max_line), progress_(progress), buffer_(2 * kBlock) {}

void LineReader::set_max_line(std::size_t max_line) { max_line_ = max_line; }

bool LineReader::refill() {
    if (at_end_) return false;
    // Keep the unfinished line, move it to the front, read behind it.
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    // A long line that fills the buffer: make room for it, up to the limit.
    if (buffer_.size() - end_ < kBlock) buffer_.resize(std::max(buffer_.size() * 2, end_ + kBlock));
    const std::size_t got = source_.read(buffer_.data() + end_, buffer_.size() - end_);
    if (got == 0) {
        at_end_ = true;
        return false;
    }
    end_ += got;
    bytes_read_ += got;
    if (progress_) progress_->update(source_.name(), bytes_read_, line_number_);
    return true;
}

bool LineReader::next(std::string_view& line) {
    if (pushed_back_) {
        pushed_back_ = false;
        ++line_number_;
        line = last_;
        return true;
    }
    if (!next_line(line)) return false;
    last_ = line;
    return true;
}

bool LineReader::next_line(std::string_view& line) {
    std::size_t searched = begin_;
    for (;;) {
        const char* start = buffer_.data() + searched;
        const void* newline = std::memchr(start, '\n', end_ - searched);
        if (newline) {
            const std::size_t stop = static_cast<std::size_t>(static_cast<const char*>(newline) - buffer_.data());
            if (stop - begin_ > max_line_) break;
            std::size_t length = stop - begin_;
            if (length > 0 && buffer_[stop - 1] == '\r') --length;
            line = std::string_view(buffer_.data() + begin_, length);
            begin_ = stop + 1;
            ++line_number_;
            return true;
        }
        if (end_ - begin_ > max_line_) break;
        const std::size_t held = end_ - begin_;
        if (!refill()) {
            if (held == 0) return false;
            // The last line has no line end.
            std::size_t length = held;
            if (buffer_[begin_ + length - 1] == '\r') --length;
            line = std::string_view(buffer_.data() + begin_, length);
            begin_ = end_;
            ++line_number_;
            return true;
        }
        searched = begin_ + held;
    }
    throw line_too_long(line_number_ + 1, max_line_);
}

std::string LineReader::take_held() {
    std::string held(buffer_.data() + begin_, end_ - begin_);
    begin_ = end_ = 0;
    // The blocks hold the input from here on: the buffer's memory goes back.
    std::vector<char>().swap(buffer_);
    return held;
}

InputError line_too_long(std::size_t line, std::size_t max_line) {
    return InputError(line, "line longer than " + std::to_string(max_line) +
                                " bytes; this does not look like the input kind chosen");
}

}  // namespace tarvix::matrix
