// The tree view's decisions without the view: rebuilding, adding through the filter dialog,
// the old-tree question and the blank ship list queue.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tollgatefixture.h"
#include "zarn30treecommands.h"
#include "zarnclock.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::ElementsAre;

namespace {

// The "Add Filters" dialog: ticks the pairs the test names (all when none), or cancels.
class ScriptedFilterDialog : public FilterDialogPresenter {
public:
    int runs = 0;
    bool ok = true;
    std::vector<std::string> tick;  // "FROM>TO"; empty: every pair
    bool Run(CZARN30Filters &filters) override {
        ++runs;
        for (CZARN10Direction &pair : filters.directions) {
            const std::string name = pair.from.pattern + ">" + pair.to.pattern;
            pair.checked = tick.empty() || std::find(tick.begin(), tick.end(), name) != tick.end();
        }
        return ok;
    }
};

class TreeCommandsTest : public TollgateFixture {
protected:
    ScopedTimeZone zone{kCentralEurope};
    ScopedClock clock{LocalTime(2026, 12, 7, 10, 30)};
    RecordingTreeControl tree;
    ScriptedFilterDialog filterDialog;
    std::string customerFilter;
    std::unique_ptr<CZARN30TreeCommands> commands;

    void SetUp() override {
        TollgateFixture::SetUp();
        if (IsSkipped()) {
            return;
        }
        commands = std::make_unique<CZARN30TreeCommands>(*doc, tree, nullptr, filterDialog,
                                                         [this]() { return customerFilter; });
        commands->Rebuild();
    }
    void Choose(const std::string &label) {
        tree.selected = tree.Find(label);
        ASSERT_NE(tree.selected, 0) << label;
        commands->contextItem = 0;
        commands->contextNode = nullptr;
    }
    std::vector<std::string> Listed() {
        std::vector<std::string> listed;
        for (const CZARN10TreeVolume *item : doc->toScanList) {
            listed.push_back(item->GetDisplayKey());
        }
        return listed;
    }
};

TEST_P(TreeCommandsTest, AnOriginIsTakenWholeAndADestinationOnlyThroughTheFilterDialog) {
    Choose("LIB1 - Main library");  // the origin under VLT1
    commands->AddToList();
    EXPECT_EQ(filterDialog.runs, 0) << "no filter dialog for an origin";
    EXPECT_EQ(doc->toScanList.size(), 3u);

    doc->ResetLists(0);
    Choose("VLT1 - North vault");  // its destination
    filterDialog.tick = {"NONE>NONE"};
    commands->AddToList();
    EXPECT_EQ(filterDialog.runs, 1);
    EXPECT_TRUE(doc->toScanList.empty()) << "nothing ticked, nothing added";
    filterDialog.tick = {"LIB1>VLT1"};
    commands->AddToList();
    EXPECT_EQ(doc->toScanList.size(), 3u);
    filterDialog.ok = false;
    doc->ResetLists(0);
    commands->AddToList();
    EXPECT_TRUE(doc->toScanList.empty()) << "Cancel adds nothing";
}

TEST_P(TreeCommandsTest, TheServerAsksTwiceAndTheCustomerOnce) {
    Choose("TEST-SERVER");
    ui.Answer(kAnswerNo);
    commands->AddToList();
    EXPECT_EQ(filterDialog.runs, 1);
    EXPECT_EQ(ui.boxes.back().caption, "Add all Customers?");
    EXPECT_EQ(ui.boxes.back().text, "You are sure you want add all Customers to the list?");
    EXPECT_TRUE(doc->toScanList.empty());
    ui.Answer(kAnswerYes);
    commands->AddToList();
    EXPECT_EQ(doc->toScanList.size(), 3u);
}

TEST_P(TreeCommandsTest, TheOldTreeQuestionIsAskedOncePerTree) {
    Choose("ACME");
    clock.Set(LocalTime(2026, 12, 7, 10, 41));  // eleven minutes after the build
    ui.Answer(kAnswerNo);
    commands->AddToList();
    EXPECT_EQ(ui.boxes.back().caption, "Old Customer Tree");
    EXPECT_EQ(doc->toScanList.size(), 3u) << "No: added as usual";
    doc->ResetLists(0);
    commands->AddToList();
    EXPECT_EQ(ui.boxes.size(), 1u) << "asked once per tree, whatever the answer";
    EXPECT_EQ(doc->toScanList.size(), 3u);

    commands->Rebuild();  // a new tree, built now
    clock.Set(LocalTime(2026, 12, 7, 10, 55));
    Choose("ACME");
    ui.Answer(kAnswerYes);
    commands->AddToList();
    EXPECT_TRUE(doc->toScanList.empty()) << "Yes: rebuilt, and nothing added";
    EXPECT_EQ(doc->oldTreeWarned, 0);
}

TEST_P(TreeCommandsTest, HiddenCustomersAreNeitherShownNorAdded) {
    doc->settings.hideNoMove = 1;
    commands->Rebuild();
    EXPECT_EQ(tree.Find("BETA"), 0) << "BETA has no move";
    customerFilter = "BE*";
    doc->settings.hideNoMove = 0;
    commands->Rebuild();
    EXPECT_EQ(tree.Find("ACME"), 0) << "the customer filter of the options bar";
    EXPECT_NE(tree.Find("BETA"), 0);
}

TEST_P(TreeCommandsTest, BlankShipListsNeedAMediaNode) {
    ui.Answer(kAnswerOk);
    commands->QueueBlankShipList();
    EXPECT_EQ(ui.boxes.back().text, "Nothing Selected....");
    commands->contextNode = doc->treeRoot->customers.at("ACME").get();
    ui.Answer(kAnswerOk);
    commands->QueueBlankShipList();
    EXPECT_EQ(ui.boxes.back().text, "Must select Media Type");
    EXPECT_FALSE(commands->CanQueueBlankShipList());
    commands->contextNode = doc->treeRoot->customers.at("ACME")->media.at("LTO9").get();
    EXPECT_TRUE(commands->CanQueueBlankShipList());
    commands->QueueBlankShipList();
    EXPECT_EQ(doc->blankShipListQueue.size(), 1u);
    EXPECT_TRUE(commands->CanPrintBlankShipListQueue());
}

TEST_P(TreeCommandsTest, AddedTwiceOnceAndTheChangeWarningCountsOnlyNewVolumes) {
    ZARNVOLSEx record;
    ASSERT_TRUE(doc->server.Get(&record, "ACME", "LTO9", "A00009").IsOK(0));
    record.locations[0].slot = 3;  // moved since the build
    ASSERT_TRUE(doc->server.Update(&record).IsOK(0));
    Choose("LIB1 - Main library");
    ui.Answer(kAnswerOk);
    commands->AddToList();
    EXPECT_EQ(ui.boxes.back().caption, "Change Warning");
    EXPECT_EQ(ui.boxes.back().text,
              "1 of the volumes added to the list have changed location since the tree build");
    commands->AddToList();
    EXPECT_EQ(ui.boxes.size(), 1u) << "nothing new was added: no warning";
    EXPECT_EQ(doc->toScanList.size(), 3u);
}

TEST_P(TreeCommandsTest, PairsAreTickedByExactIdsAndShareTheirDestination) {
    PutVolume(server.Admin(), MakeVolume("ACME", "A00020", {"OFFS", 1}, {"VLT1", 30}));
    commands->Rebuild();
    doc->filters.LoadDirections(*doc->treeRoot->customers.at("ACME")->media.at("LTO9"));
    ASSERT_EQ(doc->filters.directions.size(), 2u) << "two origins of one destination";
    EXPECT_EQ(doc->filters.directions[0].to.pattern, doc->filters.directions[1].to.pattern);
    doc->filters.directions[0].checked = 1;
    const std::string from = doc->filters.directions[0].from.pattern;
    EXPECT_EQ(doc->filters.IsChecked(from, "VLT1"), 1);
    EXPECT_EQ(doc->filters.IsChecked(from, "vlt1"), 0) << "ids compared as they are";
}

ZARN_ON_BOTH_BACKENDS(TreeCommandsTest);

}  // namespace
