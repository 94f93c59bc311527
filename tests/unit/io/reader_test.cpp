#include <gtest/gtest.h>

#include <cmath>

#include "phylo/errors.hpp"
#include "phylo/io/number_syntax.hpp"
#include "phylo/io/read.hpp"

using phylo::io::read::DistInputFormat;

namespace {

phylo::Squared read_one(const std::string& text, DistInputFormat format = DistInputFormat::EXTENDED_PHYLIP) {
    auto input = phylo::io::TextInput::from_text(text);
    return phylo::io::read::get(*input, format);
}

}  // namespace

TEST(NumberSyntax, GreedyScanAndCompleteness) {
    using phylo::io::number_syntax::scan;
    EXPECT_EQ(scan("1.5.3", false).length, 3u);
    EXPECT_TRUE(scan("1.5.3", false).complete);
    EXPECT_TRUE(scan("5.", false).complete);
    EXPECT_TRUE(scan(".5", false).complete);
    EXPECT_TRUE(scan("2E3", false).complete);
    EXPECT_FALSE(scan("-", false).complete);
    EXPECT_FALSE(scan(".", false).complete);
    EXPECT_FALSE(scan("1e", false).complete);
    EXPECT_FALSE(scan("1e+x", false).complete);
    EXPECT_EQ(scan("3.5", true).length, 1u);  // integers take no point
}

TEST(NumberSyntax, Values) {
    using phylo::io::number_syntax::integer_value;
    using phylo::io::number_syntax::real_value;
    EXPECT_EQ(*real_value("+.5"), 0.5);
    EXPECT_EQ(*real_value("1e-99999"), 0.0);
    EXPECT_TRUE(std::signbit(*real_value("-1e-99999")));
    EXPECT_EQ(*real_value("4e-320"), 4e-320);
    EXPECT_FALSE(real_value("1E999").has_value());
    EXPECT_EQ(*integer_value("3E1"), 30);
    EXPECT_EQ(*integer_value("30E-1"), 3);
    EXPECT_FALSE(integer_value("3E-1").has_value());
    EXPECT_FALSE(integer_value("1E10").has_value());
    EXPECT_EQ(*integer_value("2147483647"), 2147483647);
    EXPECT_FALSE(integer_value("2147483648").has_value());
    EXPECT_EQ(*integer_value("-5"), -5);
}

TEST(MatrixReader, ExtendedPhylipRowsOverSeveralLinesAndTrailingText) {
    const phylo::Squared m = read_one("  \n\n3 extra\nA 0 0.1\n 0.2 comment\nEscherichia_coli_K12 0.1 0 0.3\nC 0.2 0.3 0");
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m.labels, (phylo::Labels{"A", "Escherichia_coli_K12", "C"}));
    EXPECT_EQ(m.matrix(0, 2), 0.2);
    EXPECT_EQ(m.matrix(1, 2), 0.3);
    EXPECT_EQ(m.matrix(2, 1), 0.3);
}

TEST(MatrixReader, PhylipLabelsKeepInnerSpacesAndCrossLineEnds) {
    const phylo::Squared m = read_one("2\nE coli    0 1\nAB\nCDEFGHIJ1 0\n", DistInputFormat::PHYLIP);
    EXPECT_EQ(m.labels, (phylo::Labels{"E coli", "ABCDEFGHIJ"}));
    EXPECT_EQ(m.matrix(1, 0), 1.0);
}

TEST(MatrixReader, TabSeparatedLabelsAndEmptyLabelField) {
    const phylo::Squared m = read_one("\tA\tB\n my strain \t0\t1\n\t5\t1\t0\n", DistInputFormat::TAB_SEPARATED);
    EXPECT_EQ(m.labels, (phylo::Labels{"my_strain", "5"}));
    EXPECT_EQ(m.matrix(1, 0), 1.0);  // values read one field late
    EXPECT_EQ(m.matrix(1, 1), 0.0);
}

TEST(MatrixReader, CarriageReturns) {
    EXPECT_EQ(read_one("2\r\nA 0 1\r\nB 1 0\r\n").matrix(1, 0), 1.0);
    EXPECT_THROW(read_one("2\nA 0\r\n1\nB 1 0\n"), phylo::DataError);
}

TEST(MatrixReader, BackToBackMatrices) {
    auto input = phylo::io::TextInput::from_text("1\nA 0\n\n\n2\nB 0 1\nC 1 0\n");
    EXPECT_EQ(phylo::io::read::get(*input, DistInputFormat::EXTENDED_PHYLIP).labels, phylo::Labels{"A"});
    EXPECT_EQ(phylo::io::read::get(*input, DistInputFormat::EXTENDED_PHYLIP).labels, (phylo::Labels{"B", "C"}));
    EXPECT_TRUE(input->only_blank_lines_left());

    // Tab-separated: the rest of the last row's line is the next header.
    auto tab = phylo::io::TextInput::from_text("\tA\nA\t0\t\n\tB\nB\t0\n");
    phylo::io::read::get(*tab, DistInputFormat::TAB_SEPARATED);
    EXPECT_EQ(phylo::io::read::get(*tab, DistInputFormat::TAB_SEPARATED).labels, phylo::Labels{"B"});
    auto bad = phylo::io::TextInput::from_text("\tA\nA\t0\n\tB\nB\t0\n");
    phylo::io::read::get(*bad, DistInputFormat::TAB_SEPARATED);
    EXPECT_THROW(phylo::io::read::get(*bad, DistInputFormat::TAB_SEPARATED), phylo::RangeError);
}

TEST(MatrixReader, Failures) {
    EXPECT_THROW(read_one("0\n"), phylo::RangeError);
    EXPECT_THROW(read_one("-2\nA 0\n"), phylo::RangeError);
    EXPECT_THROW(read_one("3E-1\nA 0\n"), phylo::DataError);
    EXPECT_THROW(read_one("x\n"), phylo::DataError);
    EXPECT_THROW(read_one("2\nA 0 ?\nB 0 0\n"), phylo::DataError);
    EXPECT_THROW(read_one("2\nA 0 -\nB 0 0\n"), phylo::DataError);
    EXPECT_THROW(read_one("2\nA 0,1\nB 0 0\n"), phylo::DataError);
    EXPECT_THROW(read_one("3\nA 0\nB 0 0\nC 0 0 0\n"), phylo::DataError);  // triangular layout
    EXPECT_THROW(read_one("2\nA 0 1\nB 1"), phylo::EndOfInput);
    EXPECT_THROW(read_one("2\nA 0 1\n"), phylo::EndOfInput);
    EXPECT_THROW(read_one("\n\tA\nA\t0\n", DistInputFormat::TAB_SEPARATED), phylo::RangeError);
    EXPECT_THROW(read_one("2000000000\nA 0 1 2 3\n"), phylo::EndOfInput);
    EXPECT_THROW(read_one("1\nA " + std::string(3 << 20, '1') + "\n"), phylo::DataError);
}

TEST(MatrixReader, OnlyBlankLinesLeftTakesNothing) {
    auto input = phylo::io::TextInput::from_text(" \r\n\t\n");
    EXPECT_TRUE(input->only_blank_lines_left());
    auto more = phylo::io::TextInput::from_text(" \n x");
    EXPECT_FALSE(more->only_blank_lines_left());
    EXPECT_EQ(more->read_line(), " ");
}
