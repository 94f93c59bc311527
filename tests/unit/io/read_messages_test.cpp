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

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The messages for triangles, short rows, commas, words, ragged partition
// files, other kinds of files, compressed files and counts are end-to-end
// cases, compared byte for byte; here the line numbers of long inputs.

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

TEST(PartitionFileMessages, LineNumbersOfTheRowsSkipBlankLines) {
    auto input = phylo::io::TextInput::from_text("\nA\tx\n\n\nB\ty\n", "/data/ref.txt");
    std::vector<std::size_t> lines;
    const phylo::GroupNameTable table = phylo::io::partition_file::get(*input, '\t', '"', &lines);
    EXPECT_EQ(table.size(), 2u);
    EXPECT_EQ(lines, (std::vector<std::size_t>{2, 5}));
}

}  // namespace
