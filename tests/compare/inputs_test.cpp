#include <gtest/gtest.h>

#include <sstream>

#include "inputs.hpp"

using namespace tarvix::compare;

namespace {

using Fields = std::vector<std::string>;

InputText text(const std::string& content, const std::string& name = "/d/in.txt") {
    std::istringstream in(content);
    return read_lines(in, name);
}

// A single-threshold report row: the label padded to `width`, the cluster
// number as tarvix prints it, six qualities.
std::string row(const std::string& label, std::size_t width, const std::string& cluster) {
    return label + std::string(width - label.size(), ' ') + "\t" + cluster +
           "\t 0.1\t 0.2\t 0.3\t 0.4\t 0.5\t 1.00000000\n";
}

const std::string header = "Object\tCluster_0\tMinimum_0\tAverage_0\tMaximum_0\tSpanning_0\tIsolation_0\tCohesion_0\n";

}  // namespace

TEST(PartitionFile, ReadsTheChosenColumnWithGroupsInOrderOfAppearance) {
    const InputText input = text("C\tx\t1\n\nA\ty\t2\n B \tx\t\"2\"\n");
    const LabelledPartition first = read_partition_column(input, 1, "-r");
    EXPECT_EQ(first.labels, (Fields{"C", "A", "B"}));
    EXPECT_EQ(first.lines, (std::vector<std::size_t>{1, 3, 4}));
    EXPECT_EQ(first.group_names, (Fields{"x", "y"}));
    EXPECT_EQ(first.group_of, (std::vector<std::size_t>{0, 1, 0}));
    const LabelledPartition second = read_partition_column(input, 2, "-r");
    EXPECT_EQ(second.group_names, (Fields{"1", "2"}));
    EXPECT_EQ(second.group_of, (std::vector<std::size_t>{0, 1, 1}));
    // Group names are text: 01 and 1 differ.
    EXPECT_EQ(read_partition_column(text("A\t1\nB\t01\n"), 1, "-r").group_names, (Fields{"1", "01"}));
}

// Every failure of the reading and of the alignment is an end-to-end case
// (cases/), compared byte for byte.

TEST(ClusterReport, IsRecognisedByItsHeader) {
    EXPECT_TRUE(is_cluster_report(text("\n" + header + row("A", 1, " 0.00000000"))));
    EXPECT_FALSE(is_cluster_report(text("Object\tx\nB\ty\n")));
    EXPECT_FALSE(is_cluster_report(text("")));
}

TEST(ClusterReport, OnePartitionPerTableWithClustersInNumberOrder) {
    const InputText input = text(header + row("S1", 4, " 2.00000000") + row("S22", 4, "10.00000000") +
                                 row("S333", 4, " 2.00000000") + row("S4", 4, " 0.00000000") + "\n" + header +
                                 row("S1", 2, " 0.00000000") + "\n");
    const std::vector<LabelledPartition> tables = read_cluster_report(input);
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[0].origin, "/d/in.txt (table 1)");
    EXPECT_EQ(tables[0].labels, (Fields{"S1", "S22", "S333", "S4"}));
    EXPECT_EQ(tables[0].lines, (std::vector<std::size_t>{2, 3, 4, 5}));
    // 10 comes after 2: the numbers, not their texts, are ordered.
    EXPECT_EQ(tables[0].group_names, (Fields{"0", "2", "10"}));
    EXPECT_EQ(tables[0].group_of, (std::vector<std::size_t>{1, 2, 1, 0}));
    EXPECT_EQ(tables[1].origin, "/d/in.txt (table 2)");
    EXPECT_EQ(tables[1].lines, (std::vector<std::size_t>{8}));
    // A report alone keeps the plain name; carriage returns are forgiven.
    const InputText dos = text("Object\tCluster_0\tMinimum_0\tAverage_0\tMaximum_0\tSpanning_0\tIsolation_0\tCohesion_0\r\n"
                               "A\t 1.00000000\t0\t0\t0\t0\t0\t0\r\n");
    EXPECT_EQ(read_cluster_report(dos).front().origin, "/d/in.txt");
}

TEST(Alignment, FindsEachObjectsReferenceGroup) {
    const LabelledPartition clustering = read_partition_column(text("B\t1\nA\t1\nC\t2\n", "/d/c.txt"), 1, "-k");
    const LabelledPartition reference = read_partition_column(text("A\tx\nC\ty\nB\tz\n", "/d/r.txt"), 1, "-r");
    // Reference groups x = 0, y = 1, z = 2, in the clustering's order B, A, C.
    EXPECT_EQ(align_reference(clustering, reference), (std::vector<std::size_t>{2, 0, 1}));
}
