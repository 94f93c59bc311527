// A text input read in large blocks: standard input or an opened file,
// plain or gzip-compressed (recognised by its first bytes). The readers look
// at the next character, take characters, test for line ends and the end of
// the input, and scan tokens in place in the buffer.
#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace phylo::io {

class ByteSource;

class TextInput {
public:
    // Opens a named file; a name that does not denote a readable file is an
    // InvalidFilename failure.
    static std::unique_ptr<TextInput> open(const std::string& name);
    // Reads text held in memory (tests, fuzzing); named like standard input.
    static std::unique_ptr<TextInput> from_text(std::string text, std::string name = "*stdin");
    // The process's standard input; every user shares one buffer, so a
    // reference file and an input both read from "-" continue one another.
    static TextInput& standard_input();

    TextInput(const TextInput&) = delete;
    TextInput& operator=(const TextInput&) = delete;
    ~TextInput();

    // The name for messages: a file's absolute path, or "*stdin".
    const std::string& name() const noexcept { return name_; }

    // True when no character is left.
    bool at_end() {
        return pos_ == end_ && !refill();
    }
    // The next character; only valid when !at_end().
    char peek() const noexcept { return buffer_[pos_]; }
    // Takes the next character; only valid when !at_end().
    char take() noexcept { return buffer_[pos_++]; }
    bool at_line_end() { return !at_end() && peek() == '\n'; }

    // Makes at least `count` characters from the current position available
    // in memory, unless the input ends first; returns how many are.
    std::size_t ensure(std::size_t count);
    // The characters now buffered from the current position on.
    std::string_view buffered() const noexcept { return {buffer_.get() + pos_, end_ - pos_}; }
    void advance(std::size_t count) noexcept { pos_ += count; }

    // True when everything left is spaces, tabs, carriage returns and line
    // ends (also when nothing is left). Takes nothing from the input.
    bool only_blank_lines_left();

    // Skips the rest of the current line including its line end; at a line
    // end it does nothing.
    void skip_rest();
    // Reads the rest of the current line, without its line end, and takes
    // the line end.
    std::string read_line();

    // Where the reading stands, for messages. Line ends are not counted as
    // the text is read: a regular file is counted again from its start when
    // a message asks, and only a pipe counts the line ends of each block it
    // drops from the buffer.
    std::size_t offset() const noexcept { return consumed_ + pos_; }
    // The line (from 1) that holds the character at an offset already read
    // or buffered; 0 when it can no longer be told.
    std::size_t line_at(std::size_t offset);
    std::size_t line_number() { return line_at(offset()); }
    // True when nothing but spaces and tabs stands between the current
    // position and the line end before it (or the start of the input).
    bool first_word_of_line() const noexcept;
    // The character before the current position ('\n' at the start).
    char before() const noexcept { return pos_ > 0 ? buffer_[pos_ - 1] : last_dropped_; }
    // Up to `count` characters from the current position, without taking
    // them.
    std::string_view look_ahead(std::size_t count);

    // An estimate of how many characters are left (file size minus what was
    // read); 0 when unknown (pipes, compressed files).
    std::size_t known_remaining() const noexcept;

    // Called after every block read from the file with the bytes of the file
    // read so far and its size (0 when unknown); an empty function stops it.
    using Progress = std::function<void(std::size_t done, std::size_t total)>;
    void set_progress(Progress progress) { progress_ = std::move(progress); }

    // Reads up to `count` characters that follow the buffered ones into a
    // second buffer, touching nothing buffered() shows, so that other threads
    // may go on parsing those meanwhile; they join the buffered characters
    // at the next refill. For one thread at a time, while no other member is
    // called. False when nothing was read ahead (at the end, on a failure of
    // the file, which the ordinary reading then meets again where it would).
    bool read_ahead(std::size_t count) noexcept;
    // True when read_ahead() could read: a file not yet at its end, and
    // nothing read ahead waiting.
    bool may_read_ahead() const noexcept { return !eof_ && fd_ >= 0 && source_ && !spare_ready_ && !held_failure_; }

    // For an input of which only a part is used (the second distance file):
    // a compressed file is read to its end, so that damage anywhere in it
    // fails the run; a plain one is left as it is.
    void verify_rest();

private:
    TextInput(int fd, std::string name, bool owns_fd);
    // wanted: how many characters beyond those buffered the caller needs.
    bool refill(std::size_t wanted = 0);

    std::unique_ptr<ByteSource> source_;  // chosen at the first read
    Progress progress_;
    int fd_ = -1;
    bool owns_fd_ = false;
    bool eof_ = false;
    // A failure of the file that waits for the buffered characters to be
    // taken; every later refill raises it.
    std::exception_ptr held_failure_;
    std::string name_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    // Characters read ahead: spare_[headroom, spare_end_) when spare_ready_;
    // the headroom takes the unread rest of buffer_ when the two change places.
    static constexpr std::size_t headroom = std::size_t{1} << 20;
    std::unique_ptr<char[]> spare_;
    std::size_t spare_capacity_ = 0;
    std::size_t spare_end_ = 0;
    bool spare_ready_ = false;
    std::size_t file_size_ = 0;   // 0 when not a regular file
    std::size_t consumed_ = 0;    // characters dropped from the buffer so far
    bool seekable_ = false;       // a regular file: read again to count lines
    long long start_offset_ = 0;  // where in the file the reading began
    std::size_t dropped_lines_ = 0;  // line ends dropped so far (pipes only)
    char last_dropped_ = '\n';    // the last character dropped from the buffer
};

}  // namespace phylo::io
