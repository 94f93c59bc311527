#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "phylo/errors.hpp"
#include "phylo/io/print.hpp"

namespace {

std::string real(double value) {
    std::string text;
    phylo::io::print::append_real(text, value);
    return text;
}

}  // namespace

TEST(RealFormat, FixedPointWithSignBeforeRounding) {
    EXPECT_EQ(real(0.5), " 0.50000000");
    EXPECT_EQ(real(0.123456789), " 0.12345679");
    EXPECT_EQ(real(-0.25), "-0.25000000");
    EXPECT_EQ(real(12), "12.00000000");
    EXPECT_EQ(real(123456789.5), "123456789.50000000");
    EXPECT_EQ(real(-0.000000001), "-0.00000000");
    EXPECT_EQ(real(-0.0), "-0.00000000");
    // 1/512 = 0.001953125 and 3/512 = 0.005859375 are exact ties: to even.
    EXPECT_EQ(real(1.0 / 512), " 0.00195312");
    EXPECT_EQ(real(3.0 / 512), " 0.00585938");
}

TEST(RealFormat, NotANumberAndInfinities) {
    EXPECT_EQ(real(std::nan("")), "NaN********");
    EXPECT_EQ(real(std::numeric_limits<double>::infinity()), "+Inf*******");
    EXPECT_EQ(real(-std::numeric_limits<double>::infinity()), "-Inf*******");
}

TEST(RawTable, LabelsPaddedAndATabBeforeEveryValue) {
    phylo::RealData table(2);
    table.labels = {"0.05", "0.1"};
    table.rows = {{1, 0.5}, {2, 0.25}};
    phylo::io::Output out;
    phylo::io::print::put(out, table);
    EXPECT_EQ(out.captured(), "0.05\t 1.00000000\t 0.50000000\n0.1 \t 2.00000000\t 0.25000000\n");

    phylo::CountData counts(1);
    counts.labels = {"A"};
    counts.rows = {{0, 3, -1}};
    phylo::io::Output integers;
    phylo::io::print::put(integers, counts);
    EXPECT_EQ(integers.captured(), "A\t 0\t 3\t-1\n");
}

TEST(RawTable, RefusesShapelessTables) {
    phylo::io::Output out;
    EXPECT_THROW(phylo::io::print::put(out, phylo::RealData()), phylo::RangeError);
    phylo::RealData unlabelled(1);
    unlabelled.rows = {{1.0}};
    EXPECT_THROW(phylo::io::print::put(out, unlabelled), phylo::RangeError);
    phylo::RealData empty_row(1);
    empty_row.labels = {"x"};
    EXPECT_THROW(phylo::io::print::put(out, empty_row), phylo::RangeError);
}

TEST(Labels, OneObjectMatrix) {
    phylo::Squared m;
    m.labels = {"only one"};
    phylo::io::Output out;
    phylo::io::print::put_labels(out, m);
    EXPECT_EQ(out.captured(), "only one\n\n");
}
