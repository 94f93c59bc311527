// The reader that parses rows on all cores must give exactly what the
// sequential reader gives: values bit for bit, labels, where the input is
// left, and the same failure at the same point.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <typeinfo>
#include <unistd.h>
#include <vector>

#include "phylo/errors.hpp"
#include "phylo/io/number_syntax.hpp"
#include "phylo/io/parallel_read.hpp"
#include "phylo/io/read.hpp"

using phylo::io::read::DistInputFormat;
namespace parallel_read = phylo::io::parallel_read;

namespace {

// Everything reading a whole text gives: the matrices, the rest of the text
// behind each, and the failure that ended it (if any) with the rest there.
struct Outcome {
    std::vector<phylo::Labels> labels;
    std::vector<std::vector<double>> values;
    std::vector<std::size_t> rest;
    std::string failure;
    bool operator==(const Outcome&) const = default;
};

// From memory, or (from_file) from a file, which the parallel reader also
// reads ahead while it parses.
Outcome read_all(const std::string& text, DistInputFormat format, const parallel_read::Tuning& tuning,
                 bool from_file = false) {
    const parallel_read::Tuning saved = parallel_read::tuning();
    parallel_read::tuning() = tuning;
    Outcome outcome;
    const std::string path =
        (std::filesystem::temp_directory_path() / ("tarvix_parallel_read_" + std::to_string(::getpid()))).string();
    if (from_file) std::ofstream(path, std::ios::binary) << text;
    auto input = from_file ? phylo::io::TextInput::open(path) : phylo::io::TextInput::from_text(text);
    try {
        while (!input->only_blank_lines_left()) {
            phylo::Squared m = phylo::io::read::get(*input, format);
            outcome.labels.push_back(m.labels);
            const double* v = m.matrix.data();
            outcome.values.emplace_back(v, v + m.size() * m.size());
            if (!from_file) outcome.rest.push_back(input->buffered().size());
        }
    } catch (const phylo::Error& e) {
        outcome.failure = std::string(typeid(e).name()) + ": " + e.heading() + ": " + e.what() + " @" +
                          std::to_string(from_file ? 0 : input->buffered().size());
    }
    if (from_file) std::remove(path.c_str());
    parallel_read::tuning() = saved;
    return outcome;
}

parallel_read::Tuning sequential() {
    parallel_read::Tuning t;
    t.enabled = false;
    return t;
}

parallel_read::Tuning small_blocks(std::size_t block, std::size_t chunk) {
    parallel_read::Tuning t;
    t.block_bytes = block;
    t.least_chunk_bytes = chunk;
    t.count_together_bytes = chunk;  // lines counted on all threads in some blocks, on one in others
    return t;
}

// Values compared by their bits: -0.0 differs from 0.0.
void expect_same(const Outcome& fast, const Outcome& slow, const std::string& text) {
    ASSERT_EQ(fast.labels, slow.labels) << text;
    ASSERT_EQ(fast.values.size(), slow.values.size()) << text;
    for (std::size_t m = 0; m < fast.values.size(); ++m) {
        ASSERT_EQ(fast.values[m].size(), slow.values[m].size());
        ASSERT_EQ(std::memcmp(fast.values[m].data(), slow.values[m].data(), fast.values[m].size() * sizeof(double)), 0)
            << text;
    }
    ASSERT_EQ(fast.rest, slow.rest) << text;
    ASSERT_EQ(fast.failure, slow.failure) << text;
}

// A random text of one to three matrices in the given layout, mostly one row
// per line, with the irregularities users' files have.
std::string random_text(std::mt19937& random, DistInputFormat format) {
    auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
    auto pick = [&](const std::vector<std::string>& options) { return options[random() % options.size()]; };
    const std::vector<std::string> numbers = {"0", "1", "0.1", "0.12345678", "-0", "-0.0", "+.5", "5.", ".25",
                                              "0.30000000000000004", "123456789012345678901", "1e-400", "-1E-400",
                                              "2E3", "0.1e1", "9007199254740993", "0.000000000000000000000001",
                                              "1.5.3", "7-2", "4e-320"};
    const std::vector<std::string> bad = {"?", "-", "1e", "1E999", ".", "x", "1,2"};
    const bool crlf = chance(20);
    const bool damaged = chance(25);
    const std::string line_end = crlf ? "\r\n" : "\n";
    std::string text;
    const int matrices = 1 + static_cast<int>(random() % 3);
    for (int m = 0; m < matrices; ++m) {
        const std::size_t n = 1 + random() % 12;
        if (format == DistInputFormat::TAB_SEPARATED) {
            text += "corner";
            for (std::size_t i = 0; i < n; ++i) text += "\tC" + std::to_string(i);
            text += line_end;
        } else {
            if (chance(20)) text += line_end;  // blank lines before the header
            text += std::to_string(n) + (chance(20) ? " trailing" : "") + line_end;
        }
        for (std::size_t i = 0; i < n; ++i) {
            if (chance(5)) text += line_end;  // a blank line between rows
            std::string label = std::to_string(random() % 1000);
            label.insert(label.begin(), 'T');
            if (format == DistInputFormat::PHYLIP) {
                if (chance(10)) label = "E coli";
                label.resize(10, ' ');
                if (chance(5)) label = label.substr(0, 4) + "\n" + label.substr(4);  // spread over two lines
            } else if (format == DistInputFormat::TAB_SEPARATED) {
                if (chance(10)) label = " my strain ";
                label += "\t";
            } else {
                label += pick({" ", "\t", "  "});
            }
            text += label;
            for (std::size_t k = 0; k < n; ++k) {
                if (k > 0) {
                    if (chance(4)) text += "\n";  // a row spread over lines
                    text += format == DistInputFormat::TAB_SEPARATED ? "\t" : pick({" ", "\t", "   "});
                }
                text += damaged && chance(3) ? pick(bad) : pick(numbers);
            }
            if (chance(15)) text += pick({" comment", "\t", " 9 9", "x"});
            if (i + 1 < n || m + 1 < matrices || !chance(30)) text += line_end;
        }
        if (chance(20)) text += line_end;
    }
    if (chance(10)) text += " \n\n";
    if (chance(5)) text.resize(random() % (text.size() + 1));  // cut short
    return text;
}

}  // namespace

TEST(ParallelReader, ConvertsNumbersExactlyAsTheNumberSyntax) {
    // Each token alone and followed by text the syntax leaves: the fast
    // conversion must take the same characters and give the same bits.
    const std::vector<std::string> tokens = {
        "0", "-0", "+0.0", "1", "0.1", "0.3", "0.12345678", "5.", ".5", "-.5", "1.5.3", "7-2", "2E3", "1e-5",
        "123456789012345", "1234567890123456789", "12345678901234567890", "9007199254740992", "9007199254740993",
        "0.1234567890123456789012", "0.00000000000000000000001", "1e-400", "4e-320", "1E999", "-", ".", "1e",
        "e5", "+", "1e+", "99999999999999999999999999"};
    for (const std::string& token : tokens) {
        for (const std::string& after : {std::string(), std::string(" 1"), std::string("x"), std::string("\r")}) {
            const std::string text = token + after;
            const char* p = text.data();
            double fast = 0;
            const bool ok = parallel_read::take_real(p, text.data() + text.size(), fast);
            const auto scan = phylo::io::number_syntax::scan(text, false);
            const auto exact = scan.complete ? phylo::io::number_syntax::real_value(text.substr(0, scan.length))
                                             : std::nullopt;
            ASSERT_EQ(ok, exact.has_value()) << text;
            if (!ok) continue;
            EXPECT_EQ(static_cast<std::size_t>(p - text.data()), scan.length) << text;
            EXPECT_EQ(std::memcmp(&fast, &*exact, sizeof fast), 0) << text;
        }
    }
    // Hand-checked values: 0.3 is not 0.1 * 3, and -0 keeps its sign.
    const std::string three = "0.3";
    const char* p = three.data();
    double v = 0;
    ASSERT_TRUE(parallel_read::take_real(p, p + 3, v));
    EXPECT_EQ(v, 0.3);
    EXPECT_NE(v, 0.1 * 3);
    const std::string minus_zero = "-0.0";
    p = minus_zero.data();
    ASSERT_TRUE(parallel_read::take_real(p, p + 4, v));
    EXPECT_TRUE(std::signbit(v));
}

TEST(ParallelReader, ReadsRowsOnTheirOwnLinesInEveryLayout) {
    // Hand-made: a CRLF extended PHYLIP matrix with trailing text, a PHYLIP
    // one with an inner space, a tab-separated one with a spaced label.
    const auto many = small_blocks(8, 1);
    Outcome e = read_all("3\r\nA 0 0.1 0.2 x\r\nB 0.1 0 0.3\r\nC 0.2 0.3 0\r\n", DistInputFormat::EXTENDED_PHYLIP, many);
    ASSERT_TRUE(e.failure.empty()) << e.failure;
    EXPECT_EQ(e.labels[0], (phylo::Labels{"A", "B", "C"}));
    EXPECT_EQ(e.values[0], (std::vector<double>{0, 0.1, 0.2, 0.1, 0, 0.3, 0.2, 0.3, 0}));
    Outcome p = read_all("2\nE coli    0 1\nB         1 0\n", DistInputFormat::PHYLIP, many);
    EXPECT_EQ(p.labels[0], (phylo::Labels{"E coli", "B"}));
    EXPECT_EQ(p.values[0], (std::vector<double>{0, 1, 1, 0}));
    Outcome t = read_all("\tA\tB\n my strain \t0\t1\t\nB\t1\t0\t\n", DistInputFormat::TAB_SEPARATED, many);
    EXPECT_EQ(t.labels[0], (phylo::Labels{"my_strain", "B"}));
    // The input is left where the sequential reader leaves it: behind the
    // trailing tab's line end, here at the text's end.
    EXPECT_EQ(t.rest[0], 0u);
}

TEST(ParallelReader, FallsBackWhereRowsLeaveTheirLines) {
    // Rows over several lines, a blank line, a short PHYLIP label: read
    // alike, and failures met at the same place with the same message.
    const std::vector<std::string> texts = {
        "3\nA 0 0.1\n 0.2\nB 0.1 0 0.3\n\nC 0.2 0.3 0\n",
        "2\nA 0\r\n1\nB 1 0\n",
        "3\nA 0 1 2\nB 1 0 ?\nC 2 3 0\n",
        "3\nA 0 1 2\nB 1 0 3\nC 2 3",
        "3\nA 0 1 2\nB 1 0 3\n",
        "2\nA 0 1\nB 1 0\n\n2\nC 0 1\nD 1 0 tail\n  \n",
        "3\nA 0 1\nB 1 0 1\nC 1 1 0\n",
    };
    for (const auto format : {DistInputFormat::EXTENDED_PHYLIP, DistInputFormat::PHYLIP}) {
        for (const std::string& text : texts) {
            const Outcome slow = read_all(text, format, sequential());
            for (std::size_t block : {std::size_t{4}, std::size_t{16}, std::size_t{1} << 25})
                expect_same(read_all(text, format, small_blocks(block, 1)), slow, text);
        }
    }
}

TEST(ParallelReader, AgreesWithTheSequentialReaderOnRandomTexts) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 3000; ++round) {
        const auto format = static_cast<DistInputFormat>(round % 3);
        const std::string text = random_text(random, format);
        const Outcome slow = read_all(text, format, sequential());
        const std::size_t block = std::vector<std::size_t>{1, 7, 40, 200, std::size_t{1} << 25}[random() % 5];
        const std::size_t chunk = std::vector<std::size_t>{1, 30, std::size_t{1} << 20}[random() % 3];
        expect_same(read_all(text, format, small_blocks(block, chunk)), slow, text);
    }
}

TEST(ParallelReader, LargeMatrixOverManyBlocks) {
    // 300 objects, rows of about 3 KB, blocks of 64 KB: many blocks, each cut
    // into chunks, and a row spread over lines in the middle.
    std::mt19937 random(7);
    const std::size_t n = 300;
    std::string text = std::to_string(n) + "\n";
    for (std::size_t i = 0; i < n; ++i) {
        text += "taxon_" + std::to_string(i);
        for (std::size_t k = 0; k < n; ++k) {
            text += (i == 150 && k == 100) ? "\n" : " ";
            text += "0." + std::to_string(random() % 100000000);
        }
        text += "\n";
    }
    const Outcome slow = read_all(text, DistInputFormat::EXTENDED_PHYLIP, sequential());
    ASSERT_TRUE(slow.failure.empty());
    expect_same(read_all(text, DistInputFormat::EXTENDED_PHYLIP, small_blocks(1 << 16, 1 << 12)), slow, "large");
    // From a file, with the next block read ahead while one is parsed; a
    // second matrix behind the first.
    const Outcome twice = read_all(text + text, DistInputFormat::EXTENDED_PHYLIP, sequential(), true);
    ASSERT_EQ(twice.labels.size(), 2u);
    for (std::size_t block : {std::size_t{1} << 12, std::size_t{1} << 16, std::size_t{1} << 25})
        expect_same(read_all(text + text, DistInputFormat::EXTENDED_PHYLIP, small_blocks(block, 1 << 12), true), twice,
                    "large, from a file");
}

TEST(ParallelReader, ReadingAheadAroundALineLongerThanTheRoomForIt) {
    // A label of 5 MB: the unread rest of the buffer is then longer than the
    // room in front of the characters read ahead, which join it instead.
    std::string text = "3\nA 0 1 2\n" + std::string(5 << 20, 'L') + " 1 0 3\nC 2 3 0\n";
    const Outcome slow = read_all(text, DistInputFormat::EXTENDED_PHYLIP, sequential(), true);
    ASSERT_TRUE(slow.failure.empty()) << slow.failure;
    EXPECT_EQ(slow.labels[0][1].size(), std::size_t{5} << 20);
    EXPECT_EQ(slow.values[0], (std::vector<double>{0, 1, 2, 1, 0, 3, 2, 3, 0}));
    for (std::size_t block : {std::size_t{8}, std::size_t{1} << 16})
        expect_same(read_all(text, DistInputFormat::EXTENDED_PHYLIP, small_blocks(block, 1), true), slow, "long line");
}

TEST(ParallelReader, StorageFollowsTheTextNotTheHeader) {
    // A header claiming two billion objects over a few long lines ends at the
    // input's end without taking memory for the claimed matrix.
    std::string text = "2000000000\nA";
    for (int k = 0; k < 500; ++k) text += " 0.5";
    text += "\n7 8\n";
    const Outcome fast = read_all(text, DistInputFormat::EXTENDED_PHYLIP, small_blocks(1 << 25, 1));
    EXPECT_EQ(fast, read_all(text, DistInputFormat::EXTENDED_PHYLIP, sequential()));
    EXPECT_NE(fast.failure.find("end of input"), std::string::npos);
}
