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

// The message of the InputError that `read` throws, or "" when none.
template <typename Read>
std::string failure(Read read) {
    try {
        read();
    } catch (const InputError& e) {
        return e.what();
    }
    return "";
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

// Ragged lines, repeated labels and missing columns are end-to-end cases.
TEST(PartitionFile, FailuresNameTheFileTheLineAndTheCure) {
    // A line of spaces is one (empty) field.
    EXPECT_EQ(failure([] { read_partition_column(text("A\tx\n   \n"), 1, "-r"); }),
              "/d/in.txt: line 2 has 1 field where line 1 has 2; every line needs the label and one group "
              "name per partition column, separated by tabs");
    EXPECT_EQ(failure([] { read_partition_column(text("\nA\nB\n"), 1, "-k"); }),
              "/d/in.txt: line 2 has no partition column; each line needs the label, a tab and a group name");
    EXPECT_EQ(failure([] { read_partition_column(text("\n\n"), 1, "-r"); }),
              "/d/in.txt holds no object; give a partition file with one line per object");
    EXPECT_EQ(failure([] { read_partition_column(text("A\tx\n \ty\n"), 1, "-r"); }),
              "/d/in.txt: line 2: the object label is empty");
}

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

TEST(ClusterReport, FailuresNameTheLine) {
    EXPECT_EQ(failure([] { read_cluster_report(text(header + row("A", 1, " 1.50000000"))); }),
              "/d/in.txt: line 2: the cluster number ' 1.50000000' is not a whole number as tarvix prints it "
              "(like 3.00000000)");
    EXPECT_EQ(failure([] { read_cluster_report(text(header + row("A", 1, "-1.00000000"))); }),
              "/d/in.txt: line 2: the cluster number '-1.00000000' is not a whole number as tarvix prints it "
              "(like 3.00000000)");
    EXPECT_EQ(failure([] { read_cluster_report(text(header + row("A", 2, " 1") + row("A", 1, " 2"))); }),
              "/d/in.txt: line 3: the label A appears again (first on line 2); each object may appear once per table");
    EXPECT_EQ(failure([] { read_cluster_report(text(header + row("A", 1, " 1") + "\nA\tx\n")); }),
              "/d/in.txt: line 4: expected the header of a table of tarvix -i (Object, Cluster_0, ...); the file must "
              "hold nothing but such tables, each followed by an empty line");
    EXPECT_EQ(failure([] { read_cluster_report(text(header + "\n")); }),
              "/d/in.txt: line 1: the table that starts here has no object rows");
    // The reference quality report of tarvix -c has seven columns per partition.
    EXPECT_EQ(failure([] { read_cluster_report(text("Object\tCluster_0\ta\tb\tc\td\te\tf\tCluster_1\n")); }),
              "/d/in.txt: line 1: the header has 9 columns where the single-threshold report of tarvix -i has 8; "
              "give that report or a partition file");
}

TEST(Alignment, FindsEachObjectsReferenceGroup) {
    const LabelledPartition clustering = read_partition_column(text("B\t1\nA\t1\nC\t2\n", "/d/c.txt"), 1, "-k");
    const LabelledPartition reference = read_partition_column(text("A\tx\nC\ty\nB\tz\n", "/d/r.txt"), 1, "-r");
    // Reference groups x = 0, y = 1, z = 2, in the clustering's order B, A, C.
    EXPECT_EQ(align_reference(clustering, reference), (std::vector<std::size_t>{2, 0, 1}));
}

TEST(Alignment, ObjectsMissingOnEitherSideAreNamed) {
    const LabelledPartition two = read_partition_column(text("A\tx\nB\tx\n", "/d/two.txt"), 1, "-r");
    const LabelledPartition three = read_partition_column(text("A\tx\n\nC\tx\nB\tx\n", "/d/three.txt"), 1, "-r");
    EXPECT_EQ(failure([&] { align_reference(three, two); }),
              "/d/two.txt: no line for the object C of /d/three.txt (line 3); both inputs must hold the same objects");
    EXPECT_EQ(failure([&] { align_reference(two, three); }),
              "/d/two.txt: no row for the object C of /d/three.txt (line 3); both inputs must hold the same objects");
    // A label from a binary file or an endless line is cut short.
    const LabelledPartition endless =
        read_partition_column(text(std::string(100, 'A') + "\tx\n", "/d/long.txt"), 1, "-k");
    EXPECT_EQ(failure([&] { align_reference(endless, two); }),
              "/d/two.txt: no line for the object " + std::string(60, 'A') +
                  "... (100 characters) of /d/long.txt (line 1); both inputs must hold the same objects");
    // A report label with a space can never be in a partition file.
    const LabelledPartition spaced = read_cluster_report(text(header + row("E coli", 6, " 0"))).front();
    const LabelledPartition cleaned = read_partition_column(text("E coli\tx\n", "/d/r.txt"), 1, "-r");
    EXPECT_EQ(failure([&] { align_reference(spaced, cleaned); }),
              "/d/r.txt: no line for the object E coli of /d/in.txt (line 2) (the label holds a space, which a "
              "partition file turns into _); both inputs must hold the same objects");
}
