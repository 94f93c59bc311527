#include "phylo/io/byte_source.hpp"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <poll.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <zlib.h>

#include "phylo/errors.hpp"

namespace phylo::io {

namespace {

// Reads the descriptor as it is, after handing out the bytes that were read
// to recognise the format.
class PlainSource : public ByteSource {
public:
    PlainSource(int fd, std::string name, std::string prefix)
        : fd_(fd), name_(std::move(name)), prefix_(std::move(prefix)), read_(prefix_.size()) {
        struct stat info {};
        if (::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode)) {
            // What was read before the descriptor was handed to us (by a
            // shell's earlier command) is not part of the text.
            const off_t at = ::lseek(fd_, 0, SEEK_CUR);
            const auto size = static_cast<std::size_t>(info.st_size);
            const std::size_t before = at > 0 ? static_cast<std::size_t>(at) - prefix_.size() : 0;
            size_ = size > before ? size - before : 0;
        }
    }

    std::size_t read(char* into, std::size_t capacity) override {
        if (given_ < prefix_.size()) {
            const std::size_t n = std::min(capacity, prefix_.size() - given_);
            std::memcpy(into, prefix_.data() + given_, n);
            given_ += n;
            return n;
        }
        const std::size_t n = read_some(into, capacity);
        read_ += n;
        return n;
    }

    // One read() of the descriptor, repeated when a signal interrupts it.
    std::size_t read_some(char* into, std::size_t capacity) {
        for (;;) {
            const ssize_t n = ::read(fd_, into, capacity);
            if (n >= 0) return static_cast<std::size_t>(n);
            if (errno != EINTR) {
                InvalidFilename failure(name_);
                failure.set_subject(name_);
                failure.set_detail(errno == EISDIR ? "a folder, not a file; name a file in it"
                                                   : std::string("cannot be read: ") + std::strerror(errno));
                throw failure;
            }
        }
    }

    int descriptor() const noexcept { return fd_; }
    std::size_t file_bytes_read() const noexcept override { return read_; }
    std::size_t file_size() const noexcept override { return size_; }
    bool compressed() const noexcept override { return false; }

private:
    int fd_;
    std::string name_;
    std::string prefix_;
    std::size_t given_ = 0;
    std::size_t read_ = 0;
    std::size_t size_ = 0;
};

// Decompresses a gzip file on a thread of its own. The thread inflates the
// file into blocks and queues them (a few at most, so memory stays bounded);
// read() hands them out in order. A failure of the thread travels with the
// queue and is raised where the reader reaches it, after every good byte
// before it, so a matrix that ends before the damage is still read but the
// run never ends as a success.
class GzipSource : public ByteSource {
public:
    GzipSource(std::unique_ptr<PlainSource> file, std::string name)
        : file_(std::move(file)), name_(std::move(name)), thread_([this] { produce(); }) {}

    ~GzipSource() override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    std::size_t read(char* into, std::size_t capacity) override {
        while (current_given_ == current_.size()) {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return !blocks_.empty() || finished_; });
            if (blocks_.empty()) {
                if (failure_) std::rethrow_exception(failure_);
                return 0;
            }
            current_ = std::move(blocks_.front());
            blocks_.pop_front();
            current_given_ = 0;
            lock.unlock();
            changed_.notify_all();
        }
        const std::size_t n = std::min(capacity, current_.size() - current_given_);
        std::memcpy(into, current_.data() + current_given_, n);
        current_given_ += n;
        return n;
    }

    std::size_t file_bytes_read() const noexcept override { return file_read_.load(std::memory_order_relaxed); }
    std::size_t file_size() const noexcept override { return file_->file_size(); }
    bool compressed() const noexcept override { return true; }

private:
    static constexpr std::size_t block_size = std::size_t{1} << 22;
    static constexpr std::size_t blocks_ahead = 4;
    static constexpr std::size_t input_size = std::size_t{1} << 18;

    // Inflated text not yet handed over; its first `checked` bytes belong to
    // members that ended and passed their check.
    struct Pending {
        std::vector<char> block;
        std::size_t checked = 0;
    };

    // Queues a filled block; false when the reader has gone away.
    bool hand_over(Pending& pending) {
        std::vector<char>& block = pending.block;
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return blocks_.size() < blocks_ahead || stopping_; });
        if (stopping_) return false;
        blocks_.push_back(std::move(block));
        lock.unlock();
        changed_.notify_all();
        block = std::vector<char>();
        pending.checked = 0;
        return true;
    }

    // Waits until the file has bytes (or its end) to read; false when the
    // reader has gone away first. A pipe whose writer keeps it open must not
    // keep the process from ending.
    bool wait_for_input() {
        for (;;) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (stopping_) return false;
            }
            pollfd watched{file_->descriptor(), POLLIN, 0};
            const int ready = ::poll(&watched, 1, 100);
            if (ready != 0) return true;  // readable, at its end, or failing: read() tells
        }
    }

    void produce() {
        Pending pending;
        try {
            inflate_all(pending);
        } catch (...) {
            const std::exception_ptr failure = std::current_exception();
            // The checked text before the damage goes to the reader first, so
            // that a matrix ending there is read and reported before the run
            // fails, as with the same damage behind a plain file. The text of
            // the member that failed its check is not handed out.
            pending.block.resize(pending.checked);
            if (!pending.block.empty()) {
                try {
                    hand_over(pending);
                } catch (...) {
                }
            }
            std::lock_guard<std::mutex> lock(mutex_);
            failure_ = failure;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            finished_ = true;
        }
        changed_.notify_all();
    }

    void inflate_all(Pending& pending) {
        std::vector<char>& block = pending.block;
        z_stream stream{};
        // 15 + 16: a gzip wrapper, with the largest window.
        if (inflateInit2(&stream, 15 + 16) != Z_OK) throw ResourceError("not enough memory to decompress " + name_);
        struct End {
            z_stream& s;
            ~End() { inflateEnd(&s); }
        } end{stream};
        std::vector<unsigned char> input(input_size);
        bool member_ended = false;  // the last member was complete
        for (;;) {
            if (stream.avail_in == 0) {
                if (!wait_for_input()) return;
                const std::size_t n = file_->read(reinterpret_cast<char*>(input.data()), input.size());
                file_read_.store(file_->file_bytes_read(), std::memory_order_relaxed);
                if (n == 0) break;
                stream.next_in = input.data();
                stream.avail_in = static_cast<uInt>(n);
            }
            if (member_ended) {
                // After a complete member comes either another member (as
                // `cat a.gz b.gz` makes) or zero bytes of padding.
                if (stream.next_in[0] == 0) {
                    const unsigned char* p = stream.next_in;
                    const unsigned char* e = p + stream.avail_in;
                    if (std::find_if(p, e, [](unsigned char c) { return c != 0; }) != e)
                        throw InputError(name_ + ": the compressed data is followed by other data");
                    stream.avail_in = 0;
                    continue;
                }
                if (inflateReset(&stream) != Z_OK) throw InputError(name_ + ": the compressed data is corrupt");
                member_ended = false;
            }
            if (block.capacity() == 0) block.reserve(block_size);
            const std::size_t used = block.size();
            block.resize(block_size);
            stream.next_out = reinterpret_cast<Bytef*>(block.data() + used);
            stream.avail_out = static_cast<uInt>(block_size - used);
            const int status = inflate(&stream, Z_NO_FLUSH);
            block.resize(block_size - stream.avail_out);
            if (status == Z_STREAM_END) {
                member_ended = true;
                pending.checked = block.size();
            } else if (status == Z_MEM_ERROR) {
                throw ResourceError("not enough memory to decompress " + name_);
            } else if (status != Z_OK && status != Z_BUF_ERROR) {
                throw InputError(name_ + ": the compressed data is corrupt");
            }
            if (block.size() == block_size && !hand_over(pending)) return;
        }
        // Cut short: the text inflated so far is exact, only its end is missing.
        if (!block.empty() && !hand_over(pending)) return;
        if (!member_ended) throw InputError(name_ + ": the compressed data is cut short");
    }

    std::unique_ptr<PlainSource> file_;
    std::string name_;
    std::atomic<std::size_t> file_read_{0};

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<char>> blocks_;
    bool finished_ = false;
    bool stopping_ = false;
    std::exception_ptr failure_;

    std::vector<char> current_;  // the block being handed out (reader only)
    std::size_t current_given_ = 0;

    std::thread thread_;  // last: starts once everything above is built
};

}  // namespace

std::unique_ptr<ByteSource> open_byte_source(int fd, const std::string& name) {
    // Two bytes decide; a pipe may deliver them one at a time.
    std::string prefix(2, '\0');
    std::size_t have = 0;
    auto probe = std::make_unique<PlainSource>(fd, name, std::string());
    while (have < 2) {
        const std::size_t n = probe->read_some(prefix.data() + have, 2 - have);
        if (n == 0) break;
        have += n;
    }
    prefix.resize(have);
    auto plain = std::make_unique<PlainSource>(fd, name, prefix);
    if (have == 2 && static_cast<unsigned char>(prefix[0]) == 0x1f && static_cast<unsigned char>(prefix[1]) == 0x8b)
        return std::make_unique<GzipSource>(std::move(plain), name);
    return plain;
}

}  // namespace phylo::io
