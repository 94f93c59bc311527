#include "reading.hpp"

#include <gtest/gtest.h>

#include <optional>

namespace tarvix::matrix {
namespace {

// What each reader makes of its input, and how a fastANI matrix is told from
// a triangle, are end-to-end cases (cases.txt), compared byte for byte; here
// the guess of the kind from a first line alone.
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

}  // namespace
}  // namespace tarvix::matrix
