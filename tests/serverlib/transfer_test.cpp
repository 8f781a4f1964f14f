// CSV reading and writing, and whole-table export and import.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QSqlQuery>
#include <QUtf8StringView>

#include <sstream>
#include <tuple>

#include "serverfixture.h"
#include "utf8sequence.h"
#include "zarnadmin.h"
#include "zarncsv.h"
#include "zarnfields.h"
#include "zarnsession.h"
#include "zarnvalidate.h"

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

TEST(Csv, AByteOrderMarkIsTheFilesOnlyAtItsStart) {
    const std::string mark = "\xEF\xBB\xBF";
    EXPECT_THAT(ReadAll(mark + "id\n" + mark + "x\n"),
                ElementsAre(std::vector<std::string>{"id"}, std::vector<std::string>{mark + "x"}));
    // A field that starts with one is written so that it reads back as itself, also as the
    // first field of a file.
    const std::vector<std::string> fields = {mark + "x", "y"};
    EXPECT_THAT(ReadAll(CsvLine(fields)), ElementsAre(fields));
    EXPECT_THAT(ReadAll(mark + CsvLine(fields)), ElementsAre(fields));
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
        {"customers", "id,name\nNEW1,\xED\xA0\x80\n",
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

TEST_P(TransferTest, HistoryWithoutWriteIdsImportsEveryRow) {
    // Rows of a store older than write ids, or written by hand: the id's field is empty.
    std::istringstream input(
        "id,at,station,role,action,customer_id,media_id,volume,from_repository,from_slot,"
        "to_repository,to_slot,flags,write_id\r\n"
        "101,1,old,,moved,ACME,LTO9,A00001,LIB1,5,VLT1,7,0,\r\n"
        "102,2,old,,moved,ACME,LTO9,A00002,LIB1,6,VLT1,8,0,\r\n");
    std::string error;
    EXPECT_EQ(ImportTable(server.Admin(), "movement_history", input, error), 2) << error;
    QSqlQuery nulls(server.Admin().Database());
    ASSERT_TRUE(nulls.exec("SELECT COUNT(*) FROM movement_history WHERE id > 100"
                           " AND write_id IS NULL") &&
                nulls.next());
    EXPECT_EQ(nulls.value(0).toInt(), 2);
}

ZARN_ON_BOTH_BACKENDS(TransferTest);

// A store's own export, every table, restored into a fresh store of either kind.
class RestoreTest : public ::testing::TestWithParam<std::tuple<Backend, Backend>> {
protected:
    TestServer from{std::get<0>(GetParam())};
    TestServer into{std::get<1>(GetParam())};
    void SetUp() override {
        for (TestServer *server : {&from, &into}) {
            if (!server->Configured()) {
                GTEST_SKIP() << server->Unavailable();
            }
            ASSERT_TRUE(server->Available()) << server->Unavailable();
        }
        from.BuildSmallWorld();
    }

    // A day at a station whose host name is long: a move picked and completed, a volume
    // added, a billing line posted, an attribute kept.
    void WorkADay() {
        std::unique_ptr<CZARN10MFC> station = from.Connect();
        ASSERT_NE(station, nullptr);
        const std::string longName = std::string(240, 'h') + ".example/3";
        station->Session()->store->SetStation(longName, std::string(60, 'r'));
        ZARNVOLSEx record;
        ASSERT_TRUE(station->Get(&record, "ACME", "LTO9", "A00001").IsOK(0));
        record.flags |= kZarnVolScannedOut;
        record.locations[2] = record.locations[0];
        ASSERT_TRUE(station->Update(&record).IsOK(0));
        ASSERT_TRUE(station->Get(&record, "ACME", "LTO9", "A00001").IsOK(0));
        WriteField(record.locations[2].repositoryId, "VLT1");
        record.locations[2].slot = 7;
        ASSERT_TRUE(station->Update(&record).IsOK(0));
        WriteField(record.volume,
                   "N\xC3\x9C"
                   "01");  // not ASCII
        ASSERT_TRUE(station->Add(&record).IsOK(0));
        PutJournalCode(from.Admin(), 1, 101, "Courier, \"express\"", 2);
        ASSERT_TRUE(
            station->Put("ACME", "line one\r\nline two", "", 101, 3, "M\xC3\xBCller").IsOK(0));
        ASSERT_EQ(from.Admin().Run(QString::fromStdString(
                      "UPDATE journal_postings SET station = '" + longName + "'")),
                  0);
        ZARNATTRIBUTEEx attribute{};
        WriteField(attribute.name, "last-run");
        WriteField(attribute.value, "2026-12-08, evening");
        ASSERT_TRUE(station->Put(&attribute).IsOK(0));
    }
};

TEST_P(RestoreTest, EveryTableComesBackRowByRow) {
    WorkADay();
    // Reference tables first, the history before the volumes it tells of.
    const char *const order[] = {
        "customers",        "media",   "repositories",     "zones",     "journal_codes",
        "movement_history", "volumes", "journal_postings", "attributes"};
    ASSERT_EQ(std::size(order), static_cast<size_t>(kStoreTableCount));
    for (const char *table : order) {
        std::ostringstream exported, again;
        std::string error;
        ASSERT_GE(ExportTable(from.Admin(), table, exported, error), 0) << table << ": " << error;
        std::istringstream input(exported.str());
        ASSERT_GE(ImportTable(into.Admin(), table, input, error), 0) << table << ": " << error;
        ASSERT_GE(ExportTable(into.Admin(), table, again, error), 0) << table << ": " << error;
        EXPECT_EQ(again.str(), exported.str()) << table;
    }
    EXPECT_EQ(TableCounts(into.Admin()), TableCounts(from.Admin()));
    // The restored store works on: a station's next write lands after the restored history.
    std::unique_ptr<CZARN10MFC> station = into.Connect();
    ASSERT_NE(station, nullptr);
    ZARNVOLSEx record;
    ASSERT_TRUE(station->Get(&record, "ACME", "LTO9", "A00002").IsOK(0));
    record.locations[0].slot = 55;
    EXPECT_TRUE(station->Update(&record).IsOK(0));
}

std::string RestoreName(const ::testing::TestParamInfo<std::tuple<Backend, Backend>> &info) {
    const auto name = [](Backend backend) {
        return backend == Backend::SQLite ? std::string("SQLite") : std::string("PostgreSQL");
    };
    return name(std::get<0>(info.param)) + "To" + name(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(EitherWay, RestoreTest,
                         ::testing::Combine(::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                                            ::testing::Values(Backend::SQLite,
                                                              Backend::PostgreSQL)),
                         RestoreName);

// The one validator (Qt's) and the character reader of the writers that replace what is not
// UTF-8 must never disagree: every lead byte with continuation bytes at the edges of their
// ranges, one to four bytes long.
TEST(Utf8, TheCharacterReaderAgreesWithQtsValidator) {
    const unsigned char edges[] = {0x00, 0x2F, 0x7F, 0x80, 0x8F, 0x90,
                                   0x9F, 0xA0, 0xBF, 0xC0, 0xFF};
    int disagreements = 0;
    for (int lead = 1; lead < 256; ++lead) {
        for (unsigned char second : edges) {
            for (unsigned char third : edges) {
                for (unsigned char fourth : edges) {
                    const std::string bytes = {static_cast<char>(lead), static_cast<char>(second),
                                               static_cast<char>(third), static_cast<char>(fourth)};
                    for (std::size_t size = 1; size <= 4; ++size) {
                        const std::string_view sequence(bytes.data(), size);
                        const bool qt =
                            QUtf8StringView(sequence.data(), static_cast<qsizetype>(size))
                                .isValidUtf8() &&
                            sequence.find('\0') == std::string_view::npos;
                        std::size_t at = 0;
                        while (at < size && Utf8SequenceLength(sequence, at) != 0) {
                            at += Utf8SequenceLength(sequence, at);
                        }
                        const bool ours =
                            at == size && sequence.find('\0') == std::string_view::npos;
                        disagreements += qt != ours ? 1 : 0;
                        EXPECT_EQ(IsStoreText(std::string(sequence)), qt);
                    }
                }
            }
        }
    }
    EXPECT_EQ(disagreements, 0);
}

}  // namespace
