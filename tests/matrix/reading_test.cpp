#include "reading.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "assemble.hpp"
#include "byte_source.hpp"
#include "errors.hpp"

namespace tarvix::matrix {
namespace {

struct Settings {
    InputKind kind = InputKind::automatic;
    std::optional<Conversion> conversion;
    Asymmetry asymmetry = Asymmetry::mean;
    std::optional<double> missing;
};

Settings kind(InputKind k) {
    Settings s;
    s.kind = k;
    return s;
}

Settings filling(double value) {
    Settings s;
    s.missing = value;
    return s;
}


// The matrix as tarvix-matrix writes it, or "line L: message" for a failure.
std::string convert(const std::string& text, const Settings& run = {}) {
    auto source = memory_source(text);
    LineReader reader(*source, 1 << 20);
    ReadMatrix matrix(false);
    try {
        read_input(reader, run.kind, run.conversion, matrix);
        complete(matrix, run.asymmetry, run.missing);
    } catch (const InputError& e) {
        return "line " + std::to_string(e.line()) + ": " + e.what();
    }
    std::string out;
    write_phylip(matrix, [&](std::string_view part) { out += part; });
    return out;
}

InputKind detected(const std::string& text) {
    auto source = memory_source(text);
    LineReader reader(*source, 1 << 20);
    ReadMatrix matrix(false);
    read_input(reader, InputKind::automatic, std::nullopt, matrix);
    return matrix.kind;
}

// A.fna - B.fna in both directions (82.465042 and 82.4), A - C in both
// (95.5), B - C from B only (80.25), and the self pairs of A and B.
const std::string kFastani =
    "g/A.fna\tg/A.fna\t100\t50\t50\n"
    "g/A.fna\tg/B.fna\t82.465042\t40\t50\n"
    "g/A.fna\tg/C.fna.gz\t95.5\t45\t50\n"
    "g/B.fna\tg/A.fna\t82.4\t41\t50\n"
    "g/B.fna\tg/B.fna\t100\t50\t50\n"
    "g/B.fna\tg/C.fna.gz\t80.25\t30\t50\n"
    "g/C.fna.gz\tg/A.fna\t95.5\t45\t50\n";

TEST(Detection, TellsTheKindFromTheFirstLine) {
    EXPECT_EQ(detect_kind("a.fna\tb.fna\t97.5\t100\t120"), InputKind::fastani);
    EXPECT_EQ(detect_kind("a.fna\tb.fna\t0.02\t1e-30\t280/5000"), InputKind::mash);
    EXPECT_EQ(detect_kind("Ref_file\tQuery_file\tANI\tAlign_fraction_ref\tAlign_fraction_query\tRef_name\tQuery_name"),
              InputKind::skani);
    EXPECT_EQ(detect_kind("x  y\t0.5"), InputKind::pairs);
    EXPECT_EQ(detect_kind("from to distance"), InputKind::pairs);
    EXPECT_EQ(detect_kind("  12 "), InputKind::triangle);
    EXPECT_EQ(detect_kind("a b c d"), std::nullopt);
    EXPECT_EQ(detect_kind("a.fna\tb.fna\t97.5\t100"), std::nullopt);
}

TEST(Detection, TellsFastaniMatrixFromATriangleByItsFirstRow) {
    EXPECT_EQ(detected("2\ng/a.fna\ng/b.fna\t90\n"), InputKind::fastani_matrix);
    EXPECT_EQ(detected("2\na\nb 0.1\n"), InputKind::triangle);
    EXPECT_EQ(detected("2\na 0 0.1\nb 0\n"), InputKind::triangle);
    // Named by the user, a triangle stays a triangle: no percentages.
    EXPECT_EQ(convert("2\ng/a.fna\ng/b.fna 0.25\n", kind(InputKind::triangle)), "2\na 0 0.25\nb 0.25 0\n");
}

TEST(Fastani, AveragesTheTwoDirectionsAndFillsOneSidedPairs) {
    // Mean of 0.17534958 and 0.176 in doubles: 0.17567479.
    EXPECT_EQ(convert(kFastani),
              "3\n"
              "A 0 0.17567479 0.045\n"
              "B 0.17567479 0 0.1975\n"
              "C 0.045 0.1975 0\n");
}

TEST(Fastani, AsymmetricPairsByMinMaxOrBoth) {
    Settings run;
    run.asymmetry = Asymmetry::min;
    EXPECT_EQ(convert(kFastani, run), "3\nA 0 0.17534958 0.045\nB 0.17534958 0 0.1975\nC 0.045 0.1975 0\n");
    run.asymmetry = Asymmetry::max;
    EXPECT_EQ(convert(kFastani, run), "3\nA 0 0.176 0.045\nB 0.176 0 0.1975\nC 0.045 0.1975 0\n");
    // Row of the query, column of the reference.
    run.asymmetry = Asymmetry::both;
    EXPECT_EQ(convert(kFastani, run), "3\nA 0 0.17534958 0.045\nB 0.176 0 0.1975\nC 0.045 0.1975 0\n");
}

TEST(Fastani, ConversionCanBeChosen) {
    Settings run;
    run.conversion = Conversion::none;
    EXPECT_EQ(convert("a\tb\t97.5\t1\t2\n", run), "2\na 0 97.5\nb 97.5 0\n");
}

TEST(MissingPairs, AreCountedNamedAndFillable) {
    const std::string text = "a b 0.1\nc d 0.2\n";
    EXPECT_EQ(convert(text), "line 0: 4 pairs are missing (a and c, a and d, b and c, b and d); "
                             "fill them with --missing VALUE");
    Settings run;
    run.missing = 0.5;
    EXPECT_EQ(convert(text, run), "4\na 0 0.1 0.5 0.5\nb 0.1 0 0.5 0.5\nc 0.5 0.5 0 0.2\nd 0.5 0.5 0.2 0\n");
    // Seven objects, 21 pairs, four given: seventeen missing, five named.
    EXPECT_EQ(convert("a b 1\nc d 1\ne f 1\ng a 1\n").substr(0, 73),
              "line 0: 17 pairs are missing (a and c, a and d, a and e, a and f, b and c");
}

TEST(MissingPairs, AreNamedInTheOrderOfTheRowsAcrossTiles) {
    // 70 objects (two tiles of 64) with every pair but three: o1 - o66 and
    // o65 - o67 reach into the second tile, o2 - o3 does not.
    std::string text;
    for (int i = 0; i < 70; ++i)
        for (int j = i + 1; j < 70; ++j)
            if (!((i == 1 && j == 66) || (i == 2 && j == 3) || (i == 65 && j == 67))) {
                text += 'o';
                text += std::to_string(i);
                text += " o";
                text += std::to_string(j);
                text += " 0.5\n";
            }
    EXPECT_EQ(convert(text), "line 0: 3 pairs are missing (o1 and o66, o2 and o3, o65 and o67); "
                             "fill them with --missing VALUE");
}

TEST(FastaniMatrix, IsALowerTriangleOfPercentagesWithNA) {
    const std::string text = "3\ng/A.fna\ng/B.fna\t82.5\ng/C.fna\tNA\t90.125\n";
    EXPECT_EQ(convert(text), "line 0: 1 pair is missing (A and C); fill them with --missing VALUE");
    Settings run;
    run.missing = 0.25;
    EXPECT_EQ(convert(text, run), "3\nA 0 0.175 0.25\nB 0.175 0 0.09875\nC 0.25 0.09875 0\n");
    run.kind = InputKind::fastani_matrix;
    EXPECT_EQ(convert("2\nmy genome.fa\nother\t50\n", run), "2\nmy_genome 0 0.5\nother 0.5 0\n");
}

TEST(Skani, FindsItsColumnsByName) {
    const std::string text =
        "Query_file\tRef_file\tAlign_fraction_ref\tANI\tAlign_fraction_query\tRef_name\tQuery_name\tExtra\n"
        "s/s1.fa\ts/s2.fa\t90.5\t97.5\t91.2\tNZ_1 chr\tNZ_2 chr\t3\n"
        "s/s1.fa\ts/s3.fa\t80\t85.75\t81\tx\ty\t3\n"
        "s/s2.fa\ts/s3.fa\t80\t86\t81\tx\ty\t3\n";
    EXPECT_EQ(convert(text), "3\ns1 0 0.025 0.1425\ns2 0.025 0 0.14\ns3 0.1425 0.14 0\n");
    EXPECT_EQ(convert("Ref_file\tQuery_file\tAF\n", kind(InputKind::skani)),
              "line 1: a skani header needs the columns Ref_file, Query_file and ANI");
}

TEST(Mash, TakesDistancesAsTheyAreWithTheQueryAsRow) {
    const std::string text =
        "x.fna\tx.fna\t0\t0\t5000/5000\n"
        "x.fna\ty.fna\t0.0423\t1.2e-50\t280/5000\n"
        "z.fna\ty.fna\t0.5\t0.9\t1/5000\n";
    Settings run;
    run.missing = 1;
    run.asymmetry = Asymmetry::both;
    EXPECT_EQ(convert(text, run), "3\nx 0 0.0423 1\ny 0.0423 0 0.5\nz 1 0.5 0\n");
}

TEST(Pairs, SkipAHeaderAndAcceptBlanksOrTabs) {
    EXPECT_EQ(convert("from to  distance\n\na\tb 0.10\n  b c\t1e-3\n", filling(0.0)),
              "3\na 0 0.1 0\nb 0.1 0 0.001\nc 0 0.001 0\n");
    Settings fraction = kind(InputKind::pairs);
    fraction.conversion = Conversion::fraction;
    EXPECT_EQ(convert("a b 0.5\n", fraction), "2\na 0 0.5\nb 0.5 0\n");
}

TEST(Triangles, ReadEveryLayoutWithOrWithoutDiagonal) {
    const std::string want = "3\na 0 0.1 0.2\nb 0.1 0 0.3\nc 0.2 0.3 0\n";
    EXPECT_EQ(convert("3\na\nb 0.1\nc 0.2 0.3\n"), want);
    EXPECT_EQ(convert("3\na 0\nb 0.1 0\nc 0.2 0.3 0\n"), want);
    EXPECT_EQ(convert("3\na 0.1 0.2\nb 0.3\nc\n"), want);
    EXPECT_EQ(convert("3\na 0 0.1 0.2\nb 0 0.3\nc 0\n"), want);
    // Wrapped rows continue on lines that begin with a number.
    EXPECT_EQ(convert("3\na 0.1\n   0.2\nb\t0.3\nc\n"), want);
    EXPECT_EQ(convert("3\na\nb 0.1\nc 0.2\n0.3\n"), want);
    // Two objects: the second row tells lower with diagonal from upper.
    EXPECT_EQ(convert("2\na 0\nb 0.5 0\n"), "2\na 0 0.5\nb 0.5 0\n");
    EXPECT_EQ(convert("2\na 0.5\nb\n"), "2\na 0 0.5\nb 0.5 0\n");
    EXPECT_EQ(convert("1\nonly\n"), "1\nonly 0\n");
    EXPECT_EQ(convert("2\na\nb NA\n", filling(9.0)), "2\na 0 9\nb 9 0\n");
}

// Every failure of the readers is an end-to-end case (cases.txt), compared
// byte for byte; here a line whose tabs fall on both sides of a 16-byte block
// of the field search.
TEST(Fields, TabsOnBothSidesOfABlockBoundary) {
    EXPECT_EQ(convert("0123456789abcde\t0123456789abcdefghij\t95\t1\t2\n"),
              "2\n0123456789abcde 0 0.05\n0123456789abcdefghij 0.05 0\n");
}

}  // namespace
}  // namespace tarvix::matrix
