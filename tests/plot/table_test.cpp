#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "printed_number.hpp"
#include "table.hpp"

using tarvix::plot::InputError;
using tarvix::plot::JackknifeTable;
using tarvix::plot::parse_printed_number;
using tarvix::plot::read_tables;
using tarvix::plot::Table;
using tarvix::plot::ThresholdTable;

namespace {

std::vector<Table> read(const std::string& text) {
    std::istringstream in(text);
    return read_tables(in, "in.txt");
}

// The message of the InputError that reading `text` ends in.
std::string failure(const std::string& text) {
    try {
        read(text);
    } catch (const InputError& e) {
        return e.what();
    }
    return "no failure";
}

const std::string optimisation_table =
    "Threshold \tNo._Clusters\tShared_I._0\tModif._RI_0\tRand_Ind._0\n"
    "0.00000000\t 5.00000000\t 0.41816566\t-0.00000000\t 0.60000000\n"
    "0.05000000\t 2.00000000\t 1.00000000\t 1.00000000\t 1.00000000\n"
    "0.10000000\t 1.00000000\t 0.00000000\t 0.00000000\t 0.40000000\n"
    "\n";

const std::string criterion_table =
    "Threshold \tNo._Clusters\tCal._Har._0\n"
    "0.00000000\t 5.00000000\t-1.00000000\n"
    "0.05000000\t 2.00000000\t603.63829787\n"
    "\n";

const std::string jackknife_table =
    "Replicate \tNo._Clusters\tNo._Clusters\tShared_I._0\tShared_I._0\tModif._RI_0\tModif._RI_0\n"
    "         1\t 3.00000000\t 0.02500000\t 1.00000000\t 0.10000000\t 0.90000000\t 0.07500000\n"
    "         2\t 4.00000000\t 0.00000000\t 0.50000000\t 0.07500000\t 1.00000000\t 0.05000000\n"
    "\n";

}  // namespace

TEST(PrintedNumber, FixedPointFieldsAsTarvixWritesThem) {
    EXPECT_EQ(parse_printed_number(" 0.50000000"), 0.5);
    EXPECT_EQ(parse_printed_number("-0.25000000"), -0.25);
    EXPECT_EQ(parse_printed_number("5729.43037414"), 5729.43037414);
    EXPECT_EQ(parse_printed_number("         3"), 3.0);
    EXPECT_TRUE(std::signbit(*parse_printed_number("-0.00000000")));
}

TEST(PrintedNumber, PaddedWordsForValuesThatAreNoNumber) {
    EXPECT_TRUE(std::isnan(*parse_printed_number("NaN********")));
    EXPECT_EQ(parse_printed_number("+Inf*******"), HUGE_VAL);
    EXPECT_EQ(parse_printed_number("-Inf*******"), -HUGE_VAL);
}

TEST(PrintedNumber, RefusesEverythingElse) {
    for (const char* text : {"", "   ", "abc", "inf", "nan", "1.5x", "1,5", "0x10", "NaN**x", "--1", "+1"})
        EXPECT_FALSE(parse_printed_number(text).has_value()) << text;
}

TEST(ReadTables, ThresholdTableByColumn) {
    const std::vector<Table> tables = read(optimisation_table);
    ASSERT_EQ(tables.size(), 1u);
    const auto& table = std::get<ThresholdTable>(tables[0]);
    EXPECT_EQ(table.first_line, 1u);
    EXPECT_EQ(table.thresholds, (std::vector<double>{0.0, 0.05, 0.1}));
    EXPECT_EQ(table.clusters, (std::vector<double>{5, 2, 1}));
    ASSERT_EQ(table.columns.size(), 3u);
    EXPECT_EQ(table.columns[0].label, "Shared_I._0");
    EXPECT_EQ(table.columns[0].values, (std::vector<double>{0.41816566, 1, 0}));
    EXPECT_EQ(table.columns[2].label, "Rand_Ind._0");
    EXPECT_EQ(table.columns[2].values, (std::vector<double>{0.6, 1, 0.4}));
}

TEST(ReadTables, JackknifeTableSplitsThePairs) {
    const std::vector<Table> tables = read(jackknife_table);
    ASSERT_EQ(tables.size(), 1u);
    const auto& table = std::get<JackknifeTable>(tables[0]);
    EXPECT_EQ(table.clusters.best_values, (std::vector<double>{3, 4}));
    EXPECT_EQ(table.clusters.best_thresholds, (std::vector<double>{0.025, 0}));
    ASSERT_EQ(table.columns.size(), 2u);
    EXPECT_EQ(table.columns[0].label, "Shared_I._0");
    EXPECT_EQ(table.columns[0].best_values, (std::vector<double>{1, 0.5}));
    EXPECT_EQ(table.columns[0].best_thresholds, (std::vector<double>{0.1, 0.075}));
    EXPECT_EQ(table.columns[1].label, "Modif._RI_0");
    EXPECT_EQ(table.columns[1].best_thresholds, (std::vector<double>{0.075, 0.05}));
}

TEST(ReadTables, OneTablePerMatrixInInputOrder) {
    const std::vector<Table> tables = read(criterion_table + optimisation_table + "\n" + jackknife_table);
    ASSERT_EQ(tables.size(), 3u);
    EXPECT_EQ(std::get<ThresholdTable>(tables[0]).columns[0].values, (std::vector<double>{-1, 603.63829787}));
    EXPECT_EQ(std::get<ThresholdTable>(tables[1]).first_line, 5u);
    EXPECT_TRUE(std::holds_alternative<JackknifeTable>(tables[2]));
}

TEST(ReadTables, ToleratesCarriageReturnsAndAMissingLastLineEnd) {
    std::string crlf;
    for (const char c : criterion_table) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(std::get<ThresholdTable>(read(crlf)[0]).thresholds.size(), 2u);
    const std::string cut = criterion_table.substr(0, criterion_table.size() - 2);
    EXPECT_EQ(std::get<ThresholdTable>(read(cut)[0]).clusters, (std::vector<double>{5, 2}));
    // Two tables without the empty line between them are still two tables.
    EXPECT_EQ(read(cut + "\n" + criterion_table).size(), 2u);
}

TEST(ReadTables, KeepsValuesThatAreNoNumber) {
    const std::vector<Table> tables = read(
        "Threshold \tNo._Clusters\tCal._Har._0\n"
        "0.00000000\t 5.00000000\tNaN********\n"
        "0.05000000\t 2.00000000\t+Inf*******\n");
    const auto& values = std::get<ThresholdTable>(tables[0]).columns[0].values;
    EXPECT_TRUE(std::isnan(values[0]));
    EXPECT_TRUE(std::isinf(values[1]));
}

TEST(ReadTablesFailure, InputWithoutTable) {
    EXPECT_EQ(failure(""), "in.txt: no table in the input (run tarvix -o, -h or -j with -v)");
    EXPECT_EQ(failure("\n\n  \n"), "in.txt: no table in the input (run tarvix -o, -h or -j with -v)");
}

TEST(ReadTablesFailure, ReportsThatAreNotVerboseTables) {
    // The best-threshold table that tarvix -o prints without -v.
    EXPECT_EQ(failure("Shared_I._0\t 1.00000000\t 0.07500000\n"),
              "in.txt: line 1: expected the header of a verbose tarvix table (\"Threshold \" or \"Replicate \" "
              "first; run tarvix -o, -h or -j with -v), found \"Shared_I._0  1.00000000  0.07500000\"");
    // The partition similarity report shares the threshold header but numbers its rows.
    EXPECT_EQ(failure("Threshold \tNo._Clusters\tShared_I._0\n         1\t 2.00000000\t 1.00000000\n"),
              "in.txt: line 2: the row label \"1\" is no threshold (a partition similarity report of tarvix -r "
              "cannot be plotted)");
    // Something else after a good table.
    EXPECT_EQ(failure(criterion_table + "Object\tCluster_0\n"),
              "in.txt: line 5: expected the header of a verbose tarvix table (\"Threshold \" or \"Replicate \" "
              "first; run tarvix -o, -h or -j with -v), found \"Object Cluster_0\"");
}

TEST(ReadTablesFailure, MalformedHeaders) {
    EXPECT_EQ(failure("Threshold \tNo._Clusters\n0.00000000\t 1.00000000\n"),
              "in.txt: line 1: a threshold table needs the column No._Clusters and at least one index column");
    EXPECT_EQ(failure("Threshold \tClusters\tCal._Har._0\n"),
              "in.txt: line 1: a threshold table needs the column No._Clusters and at least one index column");
    EXPECT_EQ(failure("Replicate \tNo._Clusters\tNo._Clusters\tShared_I._0\tModif._RI_0\n"),
              "in.txt: line 1: the columns \"Shared_I._0\" and \"Modif._RI_0\" should form a pair (best value, "
              "threshold) of one index");
    EXPECT_EQ(failure("Replicate \tNo._Clusters\tNo._Clusters\tShared_I._0\n"),
              "in.txt: line 1: a jackknife table needs the column pair No._Clusters and pairs of index columns");
    EXPECT_EQ(failure("Replicate \tShared_I._0\tShared_I._0\tModif._RI_0\tModif._RI_0\n"),
              "in.txt: line 1: a jackknife table starts with the column pair No._Clusters");
}

TEST(ReadTablesFailure, MalformedRows) {
    const std::string header = "Threshold \tNo._Clusters\tCal._Har._0\n";
    EXPECT_EQ(failure(header + "\n"), "in.txt: line 1: the table has no rows");
    EXPECT_EQ(failure(header + "0.00000000\t 5.00000000\n"),
              "in.txt: line 2: 2 fields where the header on line 1 has 3");
    EXPECT_EQ(failure(header + "0.00000000\t 5.00000000\t 1.0\t 2.0\n"),
              "in.txt: line 2: 4 fields where the header on line 1 has 3");
    EXPECT_EQ(failure(header + "0.00000000\t 5.00000000\t 1.0\n0.05000000\t five\t 2.0\n"),
              "in.txt: line 3: column No._Clusters: \" five\" is not a number");
    EXPECT_EQ(failure(header + "zero.\t 5.00000000\t 1.0\n"), "in.txt: line 2: column Threshold: \"zero.\" is not a number");
    EXPECT_EQ(failure(header + "NaN********\t 5.00000000\t 1.0\n"),
              "in.txt: line 2: the threshold \"NaN********\" is not finite");
    EXPECT_EQ(failure(header + "+Inf.******\t 5.00000000\t 1.0\n"),
              "in.txt: line 2: column Threshold: \"+Inf.******\" is not a number");
}

// A file buffer that fails after its text, as one does for a folder or a
// file that went away.
class FailingBuffer : public std::stringbuf {
public:
    using std::stringbuf::stringbuf;

protected:
    int_type underflow() override {
        const int_type c = std::stringbuf::underflow();
        if (c == traits_type::eof()) throw std::ios_base::failure("Is a directory");
        return c;
    }
};

TEST(ReadTablesFailure, ReadErrorsEndInAMessage) {
    FailingBuffer buffer(criterion_table);
    std::istream in(&buffer);
    try {
        read_tables(in, "in.txt");
        FAIL() << "no failure";
    } catch (const InputError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("in.txt: line 5: reading failed: Is a directory", 0), 0u) << e.what();
    }
}

TEST(ReadTablesFailure, EndlessLineAndBinaryData) {
    const std::string endless(2'000'000, '7');
    EXPECT_EQ(failure(endless), "in.txt: line 1: the line is longer than 1048576 characters");
    EXPECT_EQ(failure("\x7f" "ELF\n"),
              "in.txt: line 1: expected the header of a verbose tarvix table (\"Threshold \" or \"Replicate \" "
              "first; run tarvix -o, -h or -j with -v), found \"\x7f" "ELF\"");
}
