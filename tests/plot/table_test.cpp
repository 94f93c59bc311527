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

// Inputs without a table, reports that are no verbose tables, malformed
// headers and rows, and binary data are end-to-end cases (cases/), compared
// byte for byte; here what a file cannot show: a read that fails, and a line
// of two million characters.

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

TEST(ReadTablesFailure, EndlessLine) {
    const std::string endless(2'000'000, '7');
    EXPECT_EQ(failure(endless), "in.txt: line 1: the line is longer than 1048576 characters");
}
