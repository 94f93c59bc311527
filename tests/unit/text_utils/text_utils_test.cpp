#include <gtest/gtest.h>

#include "phylo/errors.hpp"
#include "phylo/io/partition_file.hpp"
#include "text_utils/text_utils.hpp"

using Fields = std::vector<std::string>;

namespace {

Fields split(const std::string& source) {
    return text_utils::split(source, text_utils::to_set("\t"), text_utils::to_set("\""));
}

phylo::GroupNameTable read_partitions(const std::string& text) {
    auto input = phylo::io::TextInput::from_text(text, "/data/ref.txt");
    return phylo::io::partition_file::get_transposed(*input, '\t', '"');
}

}  // namespace

TEST(Split, SeparatorsAndEmptyFields) {
    EXPECT_EQ(split("a\tb\tc"), (Fields{"a", "b", "c"}));
    EXPECT_EQ(split("a\t\tc"), (Fields{"a", "", "c"}));
    EXPECT_EQ(split("a\t"), (Fields{"a", ""}));
    EXPECT_EQ(split("\ta"), (Fields{"", "a"}));
    EXPECT_EQ(split(""), Fields{});
    EXPECT_EQ(split("\t"), (Fields{"", ""}));
}

TEST(Split, Quotes) {
    EXPECT_EQ(split("a\"b\tc\"\td"), (Fields{"ab\tc", "d"}));
    EXPECT_EQ(split("a\"\"b"), Fields{"a\"b"});
    EXPECT_EQ(split("ab\"\""), Fields{"ab"});
    EXPECT_EQ(split("\"a\tb"), Fields{"a\tb"});
    EXPECT_THROW(text_utils::split("x", text_utils::to_set("\""), text_utils::to_set("\"")), text_utils::PatternError);
}

TEST(MapAll, WhitespaceToUnderscore) {
    const auto mapping = text_utils::map_all(text_utils::whitespace(), '_');
    EXPECT_EQ(text_utils::translate("a b\tc\nd-1\x85", mapping), "a_b_c_d-1_");
    EXPECT_EQ(text_utils::translate("x", text_utils::map_all({}, '_')), "x");
}

TEST(PartitionFile, TransposedWithCleanedFields) {
    const auto table = read_partitions("A\tx\t1\n\nStrain 1\tgroup a\t2\n B \t x \t2\r\n");
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0], (Fields{"A", "Strain_1", "B"}));
    EXPECT_EQ(table[1], (Fields{"x", "group_a", "x"}));
    EXPECT_EQ(table[2], (Fields{"1", "2", "2\r"}));  // a carriage return stays
}

TEST(PartitionFile, QuotedFieldsAndSingleColumn) {
    EXPECT_EQ(read_partitions("A\t\"x\ty\"\t1\n")[1], Fields{"x\ty"});
    EXPECT_EQ(read_partitions("A\nB\n").size(), 1u);
}

TEST(PartitionFile, RaggedLineNamesFileAndLine) {
    try {
        read_partitions("A\tx\n\n\n\n\n\nB\tx\ty\n");
        FAIL();
    } catch (const phylo::NamedError& e) {
        EXPECT_EQ(e.heading(), "PHYLO.TAXONOMY.GET.TRAVERSE_FILE.NF_ERROR");
        EXPECT_STREQ(e.what(), "/data/ref.txt: line  7");
    }
    EXPECT_THROW(read_partitions("A\tx\n   \n"), phylo::NamedError);  // spaces make a field
    EXPECT_THROW(read_partitions("\n\n"), phylo::IndexError);
}
