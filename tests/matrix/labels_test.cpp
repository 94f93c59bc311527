#include "labels.hpp"

#include <gtest/gtest.h>

#include <string>

#include "errors.hpp"

namespace tarvix::matrix {
namespace {

TEST(CleanLabel, DropsFoldersAndSequenceFileExtensions) {
    EXPECT_EQ(clean_label("genomes/GCF_000006945.2.fna.gz", false), "GCF_000006945.2");
    EXPECT_EQ(clean_label("/data/x/strain_1.fasta", false), "strain_1");
    EXPECT_EQ(clean_label("a.FA", false), "a");
    EXPECT_EQ(clean_label("a.fa.bz2", false), "a");
    EXPECT_EQ(clean_label("sketch.msh", false), "sketch");
    // Only a sequence-file extension goes: version numbers stay.
    EXPECT_EQ(clean_label("E_coli.K12.v2", false), "E_coli.K12.v2");
    EXPECT_EQ(clean_label("reads.gz", false), "reads");
    // A name that is nothing but an extension keeps it.
    EXPECT_EQ(clean_label(".fna", false), ".fna");
    EXPECT_EQ(clean_label("dir/", false), "dir/");
}

TEST(CleanLabel, KeepPathsKeepsFoldersAndExtensions) {
    EXPECT_EQ(clean_label("genomes/a.fna", true), "genomes/a.fna");
}

TEST(CleanLabel, TurnsWordBreaksIntoUnderscores) {
    EXPECT_EQ(clean_label("  my strain\t2 ", false), "my_strain_2");
    EXPECT_EQ(clean_label("dir with space/E coli.fna", false), "E_coli");
    EXPECT_EQ(clean_label(std::string("a\x01" "b\x7f" "c\x9f" "d\xa0", 8), true), "a_b_c_d\xa0");
}

TEST(LabelTable, NumbersNamesInTheOrderTheyAppear) {
    LabelTable table(false);
    EXPECT_EQ(table.row_of("g/b.fna"), 0u);
    EXPECT_EQ(table.row_of("g/a.fna"), 1u);
    EXPECT_EQ(table.row_of("g/b.fna"), 0u);
    EXPECT_EQ(table.find("g/a.fna"), 1);
    EXPECT_EQ(table.find("a"), -1);
    EXPECT_EQ(table.label(0), "b");
    EXPECT_EQ(table.name(1), "g/a.fna");
}

TEST(LabelTable, FindsEveryOneOfManyNames) {
    LabelTable table(true);
    for (int i = 0; i < 5000; ++i) EXPECT_EQ(table.row_of("genome_" + std::to_string(i)), static_cast<unsigned>(i));
    for (int i = 0; i < 5000; ++i) EXPECT_EQ(table.find("genome_" + std::to_string(i)), i);
    EXPECT_EQ(table.find("genome_5000"), -1);
}

TEST(LabelTable, TwoNamesGivingOneLabelAreAnError) {
    LabelTable table(false);
    table.row_of("run1/x.fna");
    try {
        table.row_of("run2/x.fa");
        FAIL() << "accepted";
    } catch (const InputError& e) {
        EXPECT_STREQ(e.what(), "the names 'run1/x.fna' and 'run2/x.fa' both give the label x; try --keep-paths");
    }
    EXPECT_THROW(table.row_of(" \t"), InputError);
}

}  // namespace
}  // namespace tarvix::matrix
