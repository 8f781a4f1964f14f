// CSV reading and writing, and whole-table export and import.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "serverfixture.h"
#include "zarnadmin.h"
#include "zarncsv.h"

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
    EXPECT_EQ(error, "table customers has no column \"colour\"");
    std::istringstream shortRow("id,name\nNEW3\n");
    EXPECT_EQ(ImportTable(server.Admin(), "customers", shortRow, error), -1);
    EXPECT_EQ(error, "line 2: 1 fields where the header has 2");
    std::istringstream anyTable("x\n1\n");
    EXPECT_EQ(ImportTable(server.Admin(), "meta; DROP TABLE volumes", anyTable, error), -1);
    EXPECT_EQ(TableCounts(server.Admin())["customers"], 2);
    EXPECT_EQ(TableCounts(server.Admin())["volumes"], 4);
}

ZARN_ON_BOTH_BACKENDS(TransferTest);

}  // namespace
