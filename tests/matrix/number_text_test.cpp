#include "number_text.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

namespace tarvix::matrix {
namespace {

double distance(const std::string& text, Conversion conversion) {
    std::string scratch;
    return to_distance(text, conversion, scratch);
}

std::string shortest(double value) {
    char buffer[32];
    return std::string(buffer, write_shortest(buffer, value));
}

TEST(NumberSyntax, AcceptsTheReaderForms) {
    for (const char* text : {"1", "-1", "+1", "1.", ".5", "1.5", "1e3", "1E-3", "2.5e+2", "0"})
        EXPECT_TRUE(is_number(text)) << text;
    for (const char* text : {"", "-", ".", "e3", "1e", "1e+", "1.5.2", "1,5", "nan", "inf", "0x10", "1 ", "NA"})
        EXPECT_FALSE(is_number(text)) << text;
}

// The double nearest to the decimal result, not the double computation:
// (100 - 82.465042) / 100 in doubles is 0.17534958000000003.
TEST(SimilarityToDistance, PercentIsTheExactDecimalDistance) {
    EXPECT_EQ(distance("82.465042", Conversion::percent), 0.17534958);
    EXPECT_EQ(shortest(distance("82.465042", Conversion::percent)), "0.17534958");
    EXPECT_EQ(distance("100", Conversion::percent), 0.0);
    EXPECT_EQ(distance("100.000", Conversion::percent), 0.0);
    EXPECT_EQ(distance("0", Conversion::percent), 1.0);
    EXPECT_EQ(distance("99.9", Conversion::percent), 0.001);
    EXPECT_EQ(distance("7", Conversion::percent), 0.93);
    EXPECT_EQ(distance("+95.5", Conversion::percent), 0.045);
    EXPECT_EQ(distance("0.05", Conversion::percent), 0.9995);
    EXPECT_EQ(distance("9.55e1", Conversion::percent), 0.045);
    EXPECT_EQ(distance("8246.5042e-2", Conversion::percent), 0.17534958);
    EXPECT_EQ(distance("0095.50", Conversion::percent), 0.045);
    EXPECT_EQ(distance("1e-60", Conversion::percent), 1.0);
    EXPECT_EQ(distance("-0", Conversion::percent), 1.0);
}

// Percentages as fastANI and skani print them ("89.8217", up to 12
// decimals, 1 to 3 integer digits, leading and trailing zeros) take a short
// path; each must give the double nearest to (100 - x) / 100, here worked
// out as decimal text that from_chars rounds.
TEST(SimilarityToDistance, PlainPercentagesAreTheExactDecimalDistance) {
    std::mt19937 random(11);
    auto exact = [](int integer, const std::string& decimals) {
        // 100 * 10^f - x as digits, by long subtraction, then e-(f + 2).
        std::string x = std::to_string(integer) + decimals;
        std::string limit = "100" + std::string(decimals.size(), '0');
        x.insert(0, limit.size() - x.size(), '0');
        std::string difference(limit.size(), '0');
        int borrow = 0;
        for (std::size_t k = limit.size(); k-- > 0;) {
            int d = (limit[k] - '0') - (x[k] - '0') - borrow;
            borrow = d < 0;
            difference[k] = static_cast<char>('0' + d + (borrow ? 10 : 0));
        }
        difference += "e-" + std::to_string(decimals.size() + 2);
        double value = 0;
        std::from_chars(difference.data(), difference.data() + difference.size(), value);
        return value;
    };
    for (int k = 0; k < 20000; ++k) {
        const int integer = k % 4 == 0 ? 99 : static_cast<int>(random() % 100);
        std::string decimals(1 + random() % 12, '0');
        for (char& c : decimals) c = static_cast<char>('0' + random() % 10);
        std::string text = k % 7 == 0 ? "0" : "";
        text += std::to_string(integer);
        text += '.';
        text += decimals;
        ASSERT_EQ(distance(text, Conversion::percent), exact(integer, decimals)) << text;
    }
    EXPECT_EQ(distance("100.0000", Conversion::percent), 0.0);
    EXPECT_FALSE(std::signbit(distance("100.0000", Conversion::percent)));
    EXPECT_EQ(distance("0.0000", Conversion::percent), 1.0);
    EXPECT_EQ(distance("99.999999999999", Conversion::percent), 1e-14);
    EXPECT_THROW(distance("100.0001", Conversion::percent), ValueError);
    EXPECT_THROW(distance("999.5", Conversion::percent), ValueError);
}

TEST(SimilarityToDistance, FractionIsOneMinusTheValueInDecimal) {
    // 1 - 0.9 in doubles is 0.09999999999999998.
    EXPECT_EQ(distance("0.9", Conversion::fraction), 0.1);
    EXPECT_EQ(distance("0.824650", Conversion::fraction), 0.17535);
    EXPECT_EQ(distance("1", Conversion::fraction), 0.0);
    EXPECT_EQ(distance("0", Conversion::fraction), 1.0);
    EXPECT_EQ(distance("5e-1", Conversion::fraction), 0.5);
}

TEST(SimilarityToDistance, NoneKeepsTheValue) {
    EXPECT_EQ(distance("0.0423", Conversion::none), 0.0423);
    EXPECT_EQ(distance("1e-3", Conversion::none), 0.001);
    EXPECT_EQ(distance("+2", Conversion::none), 2.0);
    EXPECT_EQ(shortest(distance("-0", Conversion::none)), "0");
}

// Values that are no distance end in messages that are end-to-end cases
// (cases.txt), compared byte for byte.

TEST(ShortestText, ReadsBackToTheSameDouble) {
    EXPECT_EQ(shortest(0.1), "0.1");
    EXPECT_EQ(shortest(0.17534958000000003), "0.17534958000000003");
    EXPECT_EQ(shortest(1e-7), "1e-07");
    EXPECT_EQ(shortest(0.0), "0");
    EXPECT_EQ(shortest(123456.0), "123456");
}

}  // namespace
}  // namespace tarvix::matrix

namespace tarvix::matrix {
namespace {

// The fast path of write_shortest must give exactly what to_chars gives:
// short decimals of every length and magnitude, their neighbours, means of
// two of them, and arbitrary doubles.
TEST(ShortestText, MatchesToCharsEverywhere) {
    auto reference = [](double value) {
        char buffer[64];
        return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
    };
    auto ours = [](double value) {
        char buffer[32];
        return std::string(buffer, write_shortest(buffer, value));
    };
    std::mt19937_64 random(20261206);
    std::string scratch;
    for (int i = 0; i < 200000; ++i) {
        const int decimals = 1 + static_cast<int>(random() % 16);
        const std::uint64_t digits = random() % 100000000000000000ull;
        std::string text = std::to_string(digits) + "e-" + std::to_string(decimals + static_cast<int>(random() % 8));
        double value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        for (double v : {value, std::nextafter(value, 0.0), std::nextafter(value, 1.0), (value + 0.176) / 2,
                         std::ldexp(static_cast<double>(random() >> 11), -53 - static_cast<int>(random() % 30))})
            ASSERT_EQ(ours(v), reference(v)) << text;
    }
    for (double v : {1e-8, 1.0000000000000001e-8, 0.1, 0.5, 0.9999999999999999, 1e-4, 1.5e-4, 0.00012345678901234,
                     0.001, 0.0001234, 1e-07, 1.0, 0.0, 2.5, 97.5})
        EXPECT_EQ(ours(v), reference(v)) << v;
}

}  // namespace
}  // namespace tarvix::matrix
