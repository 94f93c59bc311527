// Reading pair lists in blocks on several threads: blocks split only at line
// ends, the parse of a block stops exactly where the line-by-line reader
// must take over, and blocks are finished in the order they were read
// whatever the threads do.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "block_reader.hpp"
#include "byte_source.hpp"
#include "errors.hpp"
#include "ordered_pipeline.hpp"
#include "pair_blocks.hpp"

namespace tarvix::matrix {
namespace {

std::vector<std::string> blocks_of(ByteSource& source, std::string held, std::size_t max_line,
                                   std::size_t block_size, std::string* failure = nullptr, bool at_end = false) {
    BlockReader reader(source, std::move(held), at_end, max_line, 0, nullptr, block_size);
    std::vector<std::string> blocks;
    std::vector<char> block;
    std::size_t size = 0;
    std::exception_ptr error;
    while (reader.next(block, size, error, 0)) {
        blocks.emplace_back(block.data(), size);
        if (error) {
            try {
                std::rethrow_exception(error);
            } catch (const FileError& e) {
                if (failure) *failure = e.what();
            }
        }
    }
    return blocks;
}

std::vector<std::string> blocks_of(const std::string& text, std::string held, std::size_t max_line,
                                   std::size_t block_size) {
    auto source = memory_source(text);
    return blocks_of(*source, std::move(held), max_line, block_size);
}

TEST(BlockReader, SplitsOnlyAtLineEndsAndKeepsTheLastLineWithoutOne) {
    // Blocks of 8 bytes: "ab\ncd\nef" is cut after its last line end, the
    // "ef" begins the next block.
    EXPECT_EQ(blocks_of("ab\ncd\nefgh\n\nij", "", 6, 8),
              (std::vector<std::string>{"ab\ncd\n", "efgh\n\n", "ij"}));
    EXPECT_EQ(blocks_of("", "", 6, 8), std::vector<std::string>{});
    // What a LineReader held comes first, in blocks of the same size.
    EXPECT_EQ(blocks_of("z\n", "x\ny", 6, 8), std::vector<std::string>{"x\nyz\n"});
    EXPECT_EQ(blocks_of("ij\n", "ab\ncd\nefgh\n", 6, 8), (std::vector<std::string>{"ab\ncd\n", "efgh\nij\n"}));
}

TEST(BlockReader, HandsOverALineTooLongWithoutItsEnd) {
    // max_line 6: a block of 8 bytes without a line end can only be part of
    // a line too long, which its parser reports.
    EXPECT_EQ(blocks_of("abcdefghijkl\nx\n", "", 6, 8), (std::vector<std::string>{"abcdefgh", "ijkl\nx\n"}));
}

// Gives "a\nb", then fails.
class FailingSource final : public ByteSource {
public:
    std::size_t read(char* buffer, std::size_t size) override {
        if (done_) throw FileError("/x: cannot read: Input/output error");
        done_ = true;
        const std::string text = "a\nb";
        const std::size_t n = std::min(size, text.size());
        text.copy(buffer, n);
        return n;
    }
    const std::string& name() const override { return name_; }

private:
    bool done_ = false;
    std::string name_ = "/x";
};

TEST(BlockReader, NeverReadsASourceThatHasEnded) {
    FailingSource source;
    std::string failure;
    EXPECT_EQ(blocks_of(source, "x\ny", 6, 8, &failure, true), std::vector<std::string>{"x\ny"});
    EXPECT_EQ(failure, "");
}

TEST(BlockReader, KeepsTheWholeLinesBeforeAFailureAndEndsThere) {
    FailingSource source;
    std::string failure;
    EXPECT_EQ(blocks_of(source, "", 6, 8, &failure), std::vector<std::string>{"a\n"});
    EXPECT_EQ(failure, "/x: cannot read: Input/output error");
}

class ParsePairs : public ::testing::Test {
protected:
    ParsePairs() {
        for (const char* name : {"a", "b", "c"}) labels.row_of(name);
    }
    ParsedPairs parse(const std::string& text, std::size_t max_line = 100) {
        ParsedPairs parsed;
        parse_pairs(text, layout, labels, Conversion::none, max_line, parsed);
        return parsed;
    }
    LabelTable labels{true};
    PairLayout layout{true, 3, 0, 1, 2, "test"};
};

TEST_F(ParsePairs, GivesTheRowsOfTheNamesWhateverTheGuesses) {
    // The guesses (the same row as before, the one after) are wrong on
    // every line but the third.
    const ParsedPairs parsed = parse("a\tc\t1\na\tb\t2\nb\tc\t3\nc\ta\t4.5\n");
    ASSERT_EQ(parsed.values.size(), 4u);
    const std::uint32_t expected[4][3] = {{0, 2, 1}, {0, 1, 2}, {1, 2, 3}, {2, 0, 4}};
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(parsed.values[k].row, expected[k][0]);
        EXPECT_EQ(parsed.values[k].column, expected[k][1]);
        EXPECT_EQ(parsed.values[k].line, expected[k][2]);
    }
    EXPECT_EQ(parsed.values[3].distance, 4.5);
    EXPECT_EQ(parsed.lines, 4u);
    EXPECT_EQ(parsed.stop, 26u);  // 6 + 6 + 6 + 8 bytes
}

TEST_F(ParsePairs, CountsBlankLinesAndStopsAtTheFirstLineItCannotTake) {
    // Line 1 a value with a carriage return, line 2 blank, line 3 what the
    // line-by-line reader must see: it begins at byte 10 (7 + 3).
    const std::string before = "a\tb\t1\r\n\t \n";
    for (const std::string& third : std::vector<std::string>{"b\tx\t2",                  // a new name
                                    "x\tb\t2",                  // a new query
                                    "a\tb",                     // too few fields
                                    "a\tb\t2\t3",               // too many
                                    "a\tb\tz",                  // no number
                                    "a\tb\t0.25" + std::string(20, ' ')}) {  // too long
        const ParsedPairs parsed = parse(before + third + "\nc\tc\t0\n", 16);
        ASSERT_EQ(parsed.values.size(), 1u) << third;
        EXPECT_EQ(parsed.values[0].distance, 1.0);
        EXPECT_EQ(parsed.lines, 2u) << third;
        EXPECT_EQ(parsed.stop, 10u) << third;
    }
}

TEST_F(ParsePairs, StoresInOrderAndReportsAPairGivenTwiceAtItsLine) {
    ReadMatrix matrix(true);
    for (const char* name : {"a", "b", "c"}) matrix.labels.row_of(name);
    matrix.values.reserve(3);
    ParsedPairs parsed;
    parse_pairs("a\tb\t1\n\nb\ta\t2\na\tb\t3\n", layout, matrix.labels, Conversion::none, 100, parsed);
    try {
        store_pairs(parsed, 10, matrix);
        ADD_FAILURE() << "no failure";
    } catch (const InputError& e) {
        EXPECT_EQ(e.line(), 14u);
        EXPECT_STREQ(e.what(), "the pair a b appears a second time");
    }
    EXPECT_EQ(matrix.values.get(0, 1), 1.0);
    EXPECT_EQ(matrix.values.get(1, 0), 2.0);
}

// Blocks numbered 0 .. 199, worked on for uneven times.
struct Numbered {
    int number = 0;
    int result = 0;
};

void uneven_work(Numbered& block) {
    std::this_thread::sleep_for(std::chrono::microseconds((block.number * 37) % 200));
    block.result = block.number * block.number;
}

TEST(RunOrdered, FinishesInTheOrderMadeOnAnyNumberOfThreads) {
    for (unsigned workers = 1; workers <= 4; ++workers) {
        int next = 0;
        std::vector<int> finished;
        run_ordered<Numbered>(
            workers, workers + 2,
            [&](Numbered& block) {
                if (next == 200) return false;
                block.number = next++;
                return true;
            },
            uneven_work, [&](Numbered& block, const std::function<void()>&) { finished.push_back(block.result); });
        ASSERT_EQ(finished.size(), 200u);
        for (int k = 0; k < 200; ++k) ASSERT_EQ(finished[k], k * k) << workers << " threads";
    }
}

TEST(RunOrdered, AFailureComesInItsBlocksTurnAndStopsTheThreads) {
    for (const bool in_work : {true, false}) {
        int next = 0;
        std::vector<int> finished;
        auto run = [&] {
            run_ordered<Numbered>(
                2, 4,
                [&](Numbered& block) {
                    if (!in_work && next == 7) throw std::runtime_error("make 7");
                    block.number = next++;
                    return next <= 100;
                },
                [&](Numbered& block) {
                    uneven_work(block);
                    if (in_work && block.number == 5) throw std::runtime_error("work 5");
                },
                [&](Numbered& block, const std::function<void()>&) { finished.push_back(block.number); });
        };
        EXPECT_THROW(run(), std::runtime_error);
        // The blocks before the failing one are all finished (when making
        // fails, some of those made may still be unfinished).
        if (in_work) {
            EXPECT_EQ(finished, (std::vector<int>{0, 1, 2, 3, 4}));
        }
        for (std::size_t k = 0; k < finished.size(); ++k) EXPECT_EQ(finished[k], static_cast<int>(k));
    }
}

TEST(RunOrdered, NoWorkRunsWhileFinishHasPausedTheWorkers) {
    std::atomic<int> running{0};
    int next = 0;
    int checked = 0;
    run_ordered<Numbered>(
        2, 4,
        [&](Numbered& block) {
            block.number = next++;
            return next <= 300;
        },
        [&](Numbered& block) {
            ++running;
            uneven_work(block);
            --running;
        },
        [&](Numbered& block, const std::function<void()>& pause) {
            if (block.number % 3 != 0) return;
            pause();
            for (int k = 0; k < 5; ++k) {
                EXPECT_EQ(running.load(), 0);
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            }
            ++checked;
        });
    EXPECT_EQ(checked, 100);
}

}  // namespace
}  // namespace tarvix::matrix
