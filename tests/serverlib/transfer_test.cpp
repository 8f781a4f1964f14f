// CSV reading and writing, and whole-table export and import.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "serverfixture.h"
#include "zarnadmin.h"
#include "zarncsv.h"
#include "zarnfields.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::ElementsAre;

namespace {

std::vector<std::vector<std::string>> ReadAll(const std::string &text,
                                              std::string *error = nullptr) {
    std::istringstream input(text);
    CsvReader reader(input);
    std::vector<std::vector<std::string>> records;
    for (std::vector<std::string> fields; reader.Next(fields);) {
        records.push_back(fields);
    }
    if (error) {
        *error = reader.Error();
    }
    return records;
}

TEST(Csv, QuotesOnlyWhatNeedsItAndReadsItBack) {
    const std::vector<std::string> fields = {"plain", "a,b", "say \"hi\"", "two\r\nlines", ""};
    const std::string line = CsvLine(fields);
    EXPECT_EQ(line, "plain,\"a,b\",\"say \"\"hi\"\"\",\"two\r\nlines\",\n");
    EXPECT_THAT(ReadAll(line + "x,y\r\n"), ElementsAre(fields, std::vector<std::string>{"x", "y"}));
}

TEST(Csv, MalformedTextIsAnErrorWithItsLine) {
    std::string error;
    ReadAll("a,b\n\"open,c\n", &error);
    EXPECT_EQ(error, "line 2: a quoted field is not closed");
    ReadAll("a\n\"q\"x,1\n", &error);
    EXPECT_EQ(error, "line 2: text after a quoted field");
}

class TransferTest : public ::testing::TestWithParam<Backend> {
protected:
    TestServer server{GetParam()};
    void SetUp() override {
        if (!server.Configured()) {
            GTEST_SKIP() << server.Unavailable();
        }
        ASSERT_TRUE(server.Available()) << server.Unavailable();
        server.BuildSmallWorld();
    }
};

TEST_P(TransferTest, ExportThenImportIntoAnEmptyStoreGivesTheSameTable) {
    std::ostringstream customers, media, repositories, volumes;
    std::string error;
    ASSERT_EQ(ExportTable(server.Admin(), "customers", customers, error), 2);
    ExportTable(server.Admin(), "media", media, error);
    ExportTable(server.Admin(), "repositories", repositories, error);
    ASSERT_EQ(ExportTable(server.Admin(), "volumes", volumes, error), 4);

    TestServer copy(GetParam());
    ASSERT_TRUE(copy.Available());
    for (const auto &[table, text] : {std::pair{"customers", customers.str()},
                                      {"media", media.str()},
                                      {"repositories", repositories.str()},
                                      {"volumes", volumes.str()}}) {
        std::istringstream input(text);
        ASSERT_GT(ImportTable(copy.Admin(), table, input, error), 0) << table << ": " << error;
    }
    std::ostringstream again;
    ExportTable(copy.Admin(), "volumes", again, error);
    EXPECT_EQ(again.str(), volumes.str());
    EXPECT_EQ(TableCounts(copy.Admin())["movement_history"], 4) << "one loaded row each";
}

TEST_P(TransferTest, ABadImportChangesNothing) {
    std::string error;
    std::istringstream duplicate("id,name\nNEW1,First\nACME,Again\n");
    EXPECT_EQ(ImportTable(server.Admin(), "customers", duplicate, error), -1);
    std::istringstream unknownColumn("id,colour\nNEW2,red\n");
    EXPECT_EQ(ImportTable(server.Admin(), "customers", unknownColumn, error), -1);
    EXPECT_EQ(error, "line 1, column 2: table customers has no column \"colour\"");
    std::istringstream shortRow("id,name\nNEW3\n");
    EXPECT_EQ(ImportTable(server.Admin(), "customers", shortRow, error), -1);
    EXPECT_EQ(error, "line 2: 1 fields where the header has 2");
    std::istringstream anyTable("x\n1\n");
    EXPECT_EQ(ImportTable(server.Admin(), "meta; DROP TABLE volumes", anyTable, error), -1);
    EXPECT_EQ(TableCounts(server.Admin())["customers"], 2);
    EXPECT_EQ(TableCounts(server.Admin())["volumes"], 4);
}

TEST_P(TransferTest, DataTheStoreCannotUseIsRefusedWithItsLineAndColumn) {
    const std::string volumeHeader =
        "customer_id,media_id,volume,flags,container,current_repository,current_slot\n";
    const std::vector<std::tuple<const char *, std::string, std::string>> cases = {
        {"customers", "id,name,customer_value\nNEW1,New,abc\n",
         "line 2, column customer_value: \"abc\" is not a whole number"},
        {"customers", "id,name,customer_value\nNEW1,New,\n",
         "line 2, column customer_value: \"\" is not a whole number"},
        {"customers", "id,name\nTOOLONGID1,New\n",
         "line 2, column id: the text is longer than the column's 4 characters"},
        {"customers", "id,name,id\nNEW1,New,NEW2\n", "line 1: column \"id\" is named twice"},
        {"customers", "id,name\nNEW1,M\xFCller\n",
         "line 2, column name: the text is not UTF-8, or holds a NUL character"},
        {"volumes", volumeHeader + "ACME,LTO9,\x01\x02,0,0,LIB1,1\n",
         "line 2, column volume: \"\x01\x02\" is not a volume serial (visible characters only)"},
        {"volumes", volumeHeader + "ACME,LTO9,V1,0,0,NOPE,1\n",
         "line 2, column current_repository: repository NOPE is not on file"},
        {"volumes", volumeHeader + "ACME,LTO9,V1,0,0,LIB1,-2147483648\n",
         "line 2, column current_slot: -2147483648 is not a slot"},
        {"volumes", volumeHeader + "ACME,LTO9,V1,0,0,LIB1," + std::string(10 << 20, '9') + "\n",
         "line 2, column current_slot: \"9999999999999999999999999999999999999999\" is not a "
         "whole number"},
        {"customers", "id,name\rNEW1,New\r",
         "line 1: a line ends with a carriage return alone (lines must end with LF or CR LF)"},
    };
    for (const auto &[table, text, expected] : cases) {
        std::istringstream input(text);
        std::string error;
        EXPECT_EQ(ImportTable(server.Admin(), table, input, error), -1) << expected;
        EXPECT_EQ(error, expected);
    }
    EXPECT_EQ(TableCounts(server.Admin())["customers"], 2) << "nothing was imported";
    EXPECT_EQ(TableCounts(server.Admin())["volumes"], 4);
}

TEST_P(TransferTest, AByteOrderMarkAndATrailingBlankLineAreAccepted) {
    std::istringstream input("\xEF\xBB\xBFid,name\r\nNEW1,M\xC3\xBCller\r\n\r\n");
    std::string error;
    EXPECT_EQ(ImportTable(server.Admin(), "customers", input, error), 1) << error;
    ZARNCUST customer;
    std::unique_ptr<CZARN10MFC> station = server.Connect();
    ASSERT_TRUE(station->Get(&customer, "NEW1").IsOK(0));
    EXPECT_EQ(ReadField(customer.name), "M\xC3\xBCller");
}

TEST_P(TransferTest, ImportedHistoryKeepsItsIdsAndLaterWritesGoOnAfterThem) {
    std::ostringstream history;
    std::string error;
    ASSERT_GT(ExportTable(server.Admin(), "movement_history", history, error), 0);
    TestServer copy(GetParam());
    ASSERT_TRUE(copy.Available());
    copy.BuildSmallWorld();  // its own history rows, ids 1..4
    copy.Admin().Run("DELETE FROM movement_history");
    std::istringstream input(history.str());
    ASSERT_GT(ImportTable(copy.Admin(), "movement_history", input, error), 0) << error;
    std::unique_ptr<CZARN10MFC> station = copy.Connect();
    ZARNVOLSEx record;
    ASSERT_TRUE(station->Get(&record, "ACME", "LTO9", "A00002").IsOK(0));
    record.locations[0].slot = 55;
    EXPECT_TRUE(station->Update(&record).IsOK(0)) << "a new history row after the imported ids";
}

ZARN_ON_BOTH_BACKENDS(TransferTest);

}  // namespace
