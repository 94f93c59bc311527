// Compressed input is recognised by its first bytes and read like plain
// text; damage to it is a failure naming the file, never a silent end.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "phylo/errors.hpp"
#include "phylo/io/byte_source.hpp"
#include "phylo/io/parallel_read.hpp"
#include "phylo/io/read.hpp"
#include "phylo/io/text_input.hpp"

namespace {

std::string gzip(const std::string& text) {
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&stream, text.size()) + 64, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

class ScratchFile {
public:
    explicit ScratchFile(const std::string& bytes)
        : path_((std::filesystem::temp_directory_path() /
                 ("tarvix_byte_source_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++)))
                    .string()) {
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    ~ScratchFile() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }

private:
    static inline int counter_ = 0;
    std::string path_;
};

// The whole text of a file through TextInput, or the failure's line.
std::string read_text(const std::string& path) {
    try {
        auto input = phylo::io::TextInput::open(path);
        std::string text;
        while (!input->at_end()) text.push_back(input->take());
        return text;
    } catch (const phylo::Error& e) {
        return e.heading() + ": " + e.what();
    }
}

std::string big_text() {
    std::string text;
    for (int i = 0; i < 300000; ++i) text += "line " + std::to_string(i) + "\n";  // about 3.6 MB
    return text;
}

}  // namespace

TEST(ByteSource, PlainAndCompressedFilesGiveTheSameText) {
    const std::string text = big_text();
    const ScratchFile plain(text), packed(gzip(text));
    EXPECT_EQ(read_text(plain.path()), text);
    EXPECT_EQ(read_text(packed.path()), text);
    // Members one after the other, as `cat a.gz b.gz` makes, and zero
    // padding behind the last one, read as one text.
    const ScratchFile members(gzip("2\nA 0 1\n") + gzip("B 1 0\n") + std::string(20, '\0'));
    EXPECT_EQ(read_text(members.path()), "2\nA 0 1\nB 1 0\n");
    // A file of the magic's first byte alone, or empty, is plain text.
    const ScratchFile one("\x1f"), empty("");
    EXPECT_EQ(read_text(one.path()), "\x1f");
    EXPECT_EQ(read_text(empty.path()), "");
}

TEST(ByteSource, DamageIsAnInputErrorNamingTheFile) {
    const std::string packed = gzip(big_text());
    const ScratchFile cut(packed.substr(0, packed.size() / 2));
    const std::string name = std::filesystem::absolute(cut.path()).string();
    EXPECT_EQ(read_text(cut.path()), "input error: " + name + ": the compressed data is cut short");
    const ScratchFile header_only(packed.substr(0, 2));
    EXPECT_EQ(read_text(header_only.path()),
              "input error: " + std::filesystem::absolute(header_only.path()).string() +
                  ": the compressed data is cut short");
    // A changed byte in the middle: the data or at last its checksum is wrong.
    std::string corrupt = packed;
    corrupt[corrupt.size() / 2] = static_cast<char>(corrupt[corrupt.size() / 2] ^ 0x55);
    const ScratchFile bad(corrupt);
    EXPECT_EQ(read_text(bad.path()), "input error: " + std::filesystem::absolute(bad.path()).string() +
                                         ": the compressed data is corrupt");
    // Whatever follows a complete member, the text before it is handed out
    // first, so a matrix that ends there is still read and reported.
    for (const std::string& behind : {std::string("junk"), std::string("\0\0junk", 6), packed.substr(0, 20)}) {
        const ScratchFile damaged(gzip("1\nA 0\n") + behind);
        std::string text;
        try {
            auto input = phylo::io::TextInput::open(damaged.path());
            while (!input->at_end()) text.push_back(input->take());
            ADD_FAILURE() << "no failure";
        } catch (const phylo::InputError&) {
        }
        EXPECT_EQ(text, "1\nA 0\n");
    }
}

TEST(ByteSource, CompressedPipeDeliveredInSmallPieces) {
    // A pipe may hand over the magic one byte at a time.
    const std::string packed = gzip("1\nA 0\n");
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::thread writer([&] {
        for (char c : packed) {
            ASSERT_EQ(::write(fds[1], &c, 1), 1);
        }
        ::close(fds[1]);
    });
    const auto source = phylo::io::open_byte_source(fds[0], "*stdin");
    std::string text(64, '\0');
    std::size_t have = 0;
    while (const std::size_t n = source->read(text.data() + have, text.size() - have)) have += n;
    text.resize(have);
    writer.join();
    ::close(fds[0]);
    EXPECT_TRUE(source->compressed());
    EXPECT_EQ(text, "1\nA 0\n");
}

TEST(ByteSource, ReaderAndProgressOnACompressedMatrix) {
    const ScratchFile packed(gzip("2\nA 0 0.5\nB 0.5 0\n"));
    auto input = phylo::io::TextInput::open(packed.path());
    std::size_t calls = 0, last_done = 0, last_total = 0;
    input->set_progress([&](std::size_t done, std::size_t total) {
        ++calls;
        last_done = done;
        last_total = total;
    });
    const phylo::Squared m = phylo::io::read::get(*input, phylo::io::read::DistInputFormat::EXTENDED_PHYLIP);
    EXPECT_EQ(m.labels, (phylo::Labels{"A", "B"}));
    EXPECT_EQ(m.matrix(1, 0), 0.5);
    EXPECT_TRUE(input->only_blank_lines_left());
    // The share is of the compressed file's bytes: all of them by the end.
    EXPECT_GT(calls, 0u);
    EXPECT_EQ(last_total, std::filesystem::file_size(packed.path()));
    EXPECT_EQ(last_done, last_total);
}

TEST(ByteSource, DamageBehindAMatrixFailsOnlyWhenTheReaderGetsThere) {
    // Matrices of 200 rows, then damage: reading ahead for the rows on all
    // cores must not raise the failure before the matrices are handed out.
    std::string text = "200\n";
    for (int i = 0; i < 200; ++i) {
        text += 'T';
        text += std::to_string(i);
        for (int k = 0; k < 200; ++k) text += k == i ? " 0" : " 0.5";
        text += "\n";
    }
    const std::string packed = gzip(text + "\n" + text);
    const ScratchFile cut(packed.substr(0, packed.size() - 8));
    for (const bool speculate : {true, false}) {
        phylo::io::parallel_read::tuning().enabled = speculate;
        auto input = phylo::io::TextInput::open(cut.path());
        const auto format = phylo::io::read::DistInputFormat::EXTENDED_PHYLIP;
        const phylo::Squared first = phylo::io::read::get(*input, format);
        EXPECT_EQ(first.labels.back(), "T199");
        EXPECT_EQ(first.matrix(199, 0), 0.5);
        // Only the end of the file is missing: the second matrix is whole,
        // and the failure comes when the reader looks for a third.
        const phylo::Squared second = phylo::io::read::get(*input, format);
        EXPECT_EQ(second.labels.back(), "T199");
        EXPECT_THROW(input->only_blank_lines_left(), phylo::InputError);
    }
    phylo::io::parallel_read::tuning().enabled = true;
}
