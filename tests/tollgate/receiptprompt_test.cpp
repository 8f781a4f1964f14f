// The receipt prompt's billing: what is offered, what is posted to the store (once), what keeps
// the prompt open, and what carries over to the next customer; on SQLite and PostgreSQL.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QSqlQuery>

#include <ctime>

#include "serverfixture.h"
#include "zarn30receiptprompt.h"
#include "zarnadmin.h"

using namespace zarn;
using namespace zarn::test;
using Outcome = CZARN30ReceiptPrompt::Outcome;

namespace {

class ReceiptPromptTest : public SmallWorldTest {
protected:
    ZARN10JOURNALLIST journal{};
    std::unique_ptr<CZARN30ReceiptPrompt> prompt;

    void SetUp() override {
        SmallWorldTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        Store &store = server.Admin();
        store.Run("DELETE FROM journal_codes");
        PutJournalCode(store, 0, 900, "Position zero", 1);
        PutJournalCode(store, 2, 202, "Courier run", 3);
        PutJournalCode(store, 3, 203, "Tape handling", 0);
        PutJournalCode(store, 5, 205, "Box supply", 2);
        ASSERT_TRUE(station->Get(&journal).IsOK(0));
        prompt = std::make_unique<CZARN30ReceiptPrompt>(station.get(), &journal);
        prompt->customerLabel = "ACME - Acme Corporation";
        prompt->BeginShowing();
    }
    Outcome Confirm() {
        std::string message;
        const Outcome outcome = prompt->Confirm(message);
        lastMessage = message;
        return outcome;
    }
    std::string lastMessage;
};

TEST_P(ReceiptPromptTest, OffersNamedEntriesAtTheirPositionsWithTheirDefaultQuantities) {
    std::vector<std::string> names;
    std::vector<int> positions;
    for (const CZARN30ReceiptPrompt::Choice &choice : prompt->Choices()) {
        names.push_back(choice.name);
        positions.push_back(choice.position);
    }
    EXPECT_THAT(names, ::testing::ElementsAre("Position zero", "Courier run", "Tape handling",
                                              "Box supply"));
    EXPECT_THAT(positions, ::testing::ElementsAre(0, 2, 3, 5));
    prompt->Choose(1, 3);
    EXPECT_EQ(prompt->lines[1].quantity, 2u) << "Box supply's default";
}

TEST_P(ReceiptPromptTest, EachPostedLineIsInTheStoreOnceWithItsCode) {
    prompt->Choose(0, 1);  // Courier run, 3
    prompt->lines[0].text = "Tuesday run";
    prompt->Choose(1, 2);  // Tape handling: default quantity 0, never posted
    prompt->daysUntilShip = 2;
    const int64_t before = std::time(nullptr);
    EXPECT_EQ(Confirm(), Outcome::Close);
    EXPECT_GE(prompt->shipTime, before + 2 * 86400);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM journal_postings"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM journal_postings WHERE code = 202 AND quantity = 3"
                    " AND label = 'ACME - Acme Corporation' AND text = 'Tuesday run'"),
              1);
    EXPECT_EQ(Confirm(), Outcome::Close);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM journal_postings"), 1) << "OK again posts nothing";

    // The next customer: selections, quantities and days carry over, texts do not.
    prompt->customerLabel = "BETA - Beta Ltd";
    prompt->BeginShowing();
    EXPECT_TRUE(prompt->lines[0].text.empty());
    EXPECT_EQ(prompt->daysUntilShip, 2);
    EXPECT_EQ(Confirm(), Outcome::Close);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM journal_postings WHERE label = 'BETA - Beta Ltd'"
                    " AND code = 202 AND quantity = 3"),
              1);
}

TEST_P(ReceiptPromptTest, NoBillingLineNeedsAllowNoCharge) {
    prompt->Choose(0, 0);  // position 0 is never posted
    prompt->lines[1].selection = -1;
    EXPECT_EQ(Confirm(), Outcome::NoChargeWarning);
    EXPECT_EQ(lastMessage, kNoChargeWarningText);
    prompt->Choose(0, 1);
    prompt->lines[0].quantity = 0;  // nor is a quantity of 0
    EXPECT_EQ(Confirm(), Outcome::NoChargeWarning);
    prompt->allowNoCharge = true;
    EXPECT_EQ(Confirm(), Outcome::Close);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM journal_postings"), 0);
}

TEST_P(ReceiptPromptTest, ARefusedPostKeepsThePromptOpenAndIsRetriedAlone) {
    prompt->Choose(0, 1);                                              // Courier run
    prompt->Choose(1, 3);                                              // Box supply, 2
    server.Admin().Run("DELETE FROM journal_codes WHERE code = 205");  // gone since the list
    EXPECT_EQ(Confirm(), Outcome::PostFailed);
    EXPECT_THAT(lastMessage, ::testing::HasSubstr("Box supply"));
    EXPECT_THAT(lastMessage, ::testing::HasSubstr(CZARN10RC(kZarnJournalCodeNotFound).Get()));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM journal_postings"), 1) << "line 1 went through";

    PutJournalCode(server.Admin(), 5, 205, "Box supply", 2);
    EXPECT_EQ(Confirm(), Outcome::Close);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM journal_postings WHERE code = 202"), 1)
        << "line 1 is not charged twice";
    EXPECT_EQ(Count("SELECT COUNT(*) FROM journal_postings WHERE code = 205"), 1);
}

TEST_P(ReceiptPromptTest, ValuesBeyondTheLimitsKeepThePromptOpenAndPostNothing) {
    prompt->Choose(0, 1);
    prompt->lines[0].quantity = 10000000;
    EXPECT_EQ(Confirm(), Outcome::Invalid);
    prompt->lines[0].quantity = 1;
    prompt->lines[0].text = std::string(41, 'x');
    EXPECT_EQ(Confirm(), Outcome::Invalid);
    prompt->lines[0].text = std::string(40, 'x');
    prompt->shipNotes = std::string(301, 'n');
    EXPECT_EQ(Confirm(), Outcome::Invalid);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM journal_postings"), 0);
}

ZARN_ON_BOTH_BACKENDS(ReceiptPromptTest);

}  // namespace
