// What the matrix and partition readers tell a user whose file they cannot
// read: the file, the line, the row, the text that stopped them, and what to
// do. Each case is a mistake met with real files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <thread>

#include "phylo/errors.hpp"
#include "phylo/io/partition_file.hpp"
#include "phylo/io/read.hpp"

using phylo::io::read::DistInputFormat;

namespace {

struct Failure {
    std::string subject;
    std::string detail;
};

template <class E>
Failure failure_of(const std::string& text, DistInputFormat format = DistInputFormat::EXTENDED_PHYLIP) {
    auto input = phylo::io::TextInput::from_text(text, "/data/m.dst");
    try {
        phylo::io::read::get(*input, format);
    } catch (const E& e) {
        return {e.subject(), e.detail()};
    } catch (const std::exception& e) {
        ADD_FAILURE() << "another failure: " << e.what();
        return {};
    }
    ADD_FAILURE() << "read without failure";
    return {};
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(MatrixReaderMessages, ATriangleIsNamedAndTheConversionShown) {
    // The lower triangle without the diagonal is an end-to-end case.
    // With the diagonal: row A holds one value.
    EXPECT_TRUE(has(failure_of<phylo::DataError>("3\nA 0\nB 0.1 0\nC 0.2 0.3 0\n").detail, "lower triangle"));
    // An upper triangle without the diagonal: row A holds N - 1 values.
    EXPECT_TRUE(has(failure_of<phylo::DataError>("3\nA 0.1 0.2\nB 0.3\nC\n").detail, "upper triangle"));
    // A row that is just short, in the middle of a square matrix.
    const Failure short_row = failure_of<phylo::DataError>("3\nA 0 1 2\nB 1 0 3\nC 2\nD 0 0 0\n");
    EXPECT_TRUE(has(short_row.detail, "line 5: row \"C\" (3 of 3) ends after 1 of 3 values, before \"D\"; every row "
                                      "holds all 3 distances: is the object count right?"))
        << short_row.detail;
}

TEST(MatrixReaderMessages, CommasAndWords) {
    // Missing values and blanks in labels are end-to-end cases.
    // The 0 before the first comma is taken as value 1; value 2 meets ",1,2".
    const Failure comma = failure_of<phylo::DataError>("3\nA 0,1,2\nB 1,0,3\nC 2,3,0\n");
    EXPECT_TRUE(has(comma.detail, "line 2: \",1,2\" in row \"A\" (1 of 3) where value 2 of 3 belongs")) << comma.detail;
    EXPECT_TRUE(has(comma.detail, "not commas")) << comma.detail;

    const Failure word = failure_of<phylo::DataError>("2\nA 0 x\nB 1 0\n");
    EXPECT_TRUE(has(word.detail, "line 2: \"x\" in row \"A\" (1 of 2) where value 2 of 2 belongs is not a number"))
        << word.detail;
}

TEST(MatrixReaderMessages, WhatAFileWithoutObjectCountProbablyIs) {
    EXPECT_TRUE(has(failure_of<phylo::DataError>("A\tx\nB\ty\n").detail,
                    "line 1: \"A\" where the number of objects belongs; this looks like a partition file"));
    EXPECT_TRUE(has(failure_of<phylo::DataError>("A\tB\t0.1\nA\tC\t0.2\n").detail, "list of pairs"));
    EXPECT_TRUE(has(failure_of<phylo::DataError>("a.fna\tb.fna\t97.1\t812\t900\n").detail, "list of pairs"));
    EXPECT_TRUE(has(failure_of<phylo::DataError>("Ref_file\tQuery_file\tANI\n").detail, "skani output"));
    EXPECT_TRUE(has(failure_of<phylo::DataError>("\tA\tB\nA\t0\t1\n").detail, "read it with -t"));
    EXPECT_TRUE(has(failure_of<phylo::DataError>("\n\nA 0\n").detail, "line 3: \"A\" where the number"));
    EXPECT_EQ(failure_of<phylo::DataError>(std::string("\x1f\x8b\x08\x00\x00", 5)).detail,
              "the file is gzip-compressed; tarvix reads plain text: decompress it first (gunzip -k FILE), or pipe "
              "it in: gunzip -c FILE | tarvix ... -");
    EXPECT_TRUE(has(failure_of<phylo::DataError>("3E-1\nA 0\n").detail, "line 1: \"3E-1\" is no whole number of objects"));
}

TEST(MatrixReaderMessages, CountsAndEndsOfInput) {
    EXPECT_TRUE(has(failure_of<phylo::RangeError>("\n\tA\nA\t0\n", DistInputFormat::TAB_SEPARATED).detail,
                    "line 1: a tab-separated matrix begins with a header line holding a tab before each label"));
    EXPECT_EQ(failure_of<phylo::EndOfInput>("2\nA 0 1\n").detail,
              "line 2: the input ends before row 2 of 2 begins; the header announces 2 objects: is that count "
              "right?");
    EXPECT_TRUE(has(failure_of<phylo::DataError>("2\nA 0 1E999\nB 1 0\n").detail,
                    "line 2: in row \"A\" (1 of 2), value 2 of 2 is beyond the range of doubles"));
}

// A file past the reader's 4 MiB blocks, so that the line of a late failure
// is counted from the file again.
TEST(MatrixReaderMessages, LineNumbersSurviveTheBuffer) {
    char name[] = "/tmp/tarvix-lines-XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    const std::size_t n = 1200;  // 1200 rows of 1200 values: about 5.8 MB
    {
        std::ofstream file(name);
        file << n << '\n';
        for (std::size_t i = 0; i < n; ++i) {
            file << "L" << i;
            for (std::size_t k = 0; k < n; ++k) file << (i == n - 2 && k == 7 ? " oops" : " 0.5");
            file << '\n';
        }
    }
    auto input = phylo::io::TextInput::open(name);
    try {
        phylo::io::read::get(*input, DistInputFormat::EXTENDED_PHYLIP);
        ADD_FAILURE() << "read without failure";
    } catch (const phylo::DataError& e) {
        // Row n - 2 = 1198 (the 1199th) is on line 1200.
        EXPECT_TRUE(has(e.detail(), "line 1200: \"oops\" in row \"L1198\" (1199 of 1200) where value 8 of 1200"))
            << e.detail();
    }
    std::remove(name);
}

TEST(MatrixReaderMessages, LineNumbersOfAPipeAreCountedAsBlocksAreDropped) {
    char folder[] = "/tmp/tarvix-fifo-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string fifo = std::string(folder) + "/in";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&fifo] {
        std::ofstream out(fifo);
        out << "2\n";
        out << std::string(5000000, '\n');  // five million blank lines: more than one 4 MiB block
        out << "A 0 1\nB 1 ?\n";
    });
    {
        auto input = phylo::io::TextInput::open(fifo);
        try {
            phylo::io::read::get(*input, DistInputFormat::EXTENDED_PHYLIP);
            ADD_FAILURE() << "read without failure";
        } catch (const phylo::DataError& e) {
            EXPECT_TRUE(has(e.detail(), "line 5000003: \"?\" in row \"B\"")) << e.detail();
        }
        while (!input->at_end()) input->take();
    }
    writer.join();
    std::remove(fifo.c_str());
    rmdir(folder);
}

TEST(PartitionFileMessages, ARaggedLineNamesBothCounts) {
    auto input = phylo::io::TextInput::from_text("A\tx\n\nB\tx\ty\n", "/data/ref.txt");
    try {
        phylo::io::partition_file::get(*input, '\t', '"');
        ADD_FAILURE() << "read without failure";
    } catch (const phylo::NamedError& e) {
        EXPECT_EQ(std::string(e.what()), "/data/ref.txt: line  3");
        EXPECT_EQ(e.subject(), "/data/ref.txt");
        EXPECT_TRUE(has(e.detail(), "line 3 holds 3 fields, line 1 holds 2 fields")) << e.detail();
    }
}

TEST(PartitionFileMessages, LineNumbersOfTheRowsSkipBlankLines) {
    auto input = phylo::io::TextInput::from_text("\nA\tx\n\n\nB\ty\n", "/data/ref.txt");
    std::vector<std::size_t> lines;
    const phylo::GroupNameTable table = phylo::io::partition_file::get(*input, '\t', '"', &lines);
    EXPECT_EQ(table.size(), 2u);
    EXPECT_EQ(lines, (std::vector<std::size_t>{2, 5}));
}

}  // namespace
