// The movement tree's view as the operator uses it: a rebuild asked for from anywhere goes
// through the model, the keyboard's menu acts on the current node, and a rebuild the operator
// declines changes nothing on screen. The real model is checked by Qt's model tester all along.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>

#include <set>

#include "windowfixture.h"
#include "zarn10treeroot.h"
#include "zarnclock.h"

using namespace zarn;
using namespace zarn::test;

namespace {

class TreeViewTest : public WindowFixture {
protected:
    std::unique_ptr<QAbstractItemModelTester> tester;

    void AddToWorld(Store &store) override {
        PutVolume(store, MakeVolume("BETA", "B00009", {"LIB1", 2}, {"VLT1", 3}));
    }
    void SetUp() override {
        WindowFixture::SetUp();
        tester = std::make_unique<QAbstractItemModelTester>(
            &frame->TreeView().TreeModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    }
    void TearDown() override {
        tester.reset();
        WindowFixture::TearDown();
    }
    QModelIndex Find(const std::string &text) {
        CZARN30TreeModel &model = frame->TreeView().TreeModel();
        const QModelIndexList found =
            model.match(model.index(0, 0), Qt::DisplayRole, QString::fromStdString(text), 1,
                        Qt::MatchStartsWith | Qt::MatchRecursive);
        return found.isEmpty() ? QModelIndex() : found.front();
    }
    // The rows the view shows, walked as the arrow keys walk them.
    std::vector<std::string> ShownRows() {
        CLeftView &tree = frame->TreeView();
        tree.grab();  // laid out and painted as on screen
        std::vector<std::string> rows;
        for (QModelIndex at = tree.model()->index(0, 0); at.isValid() && rows.size() < 100;
             at = tree.indexBelow(at)) {
            rows.push_back(at.data().toString().toStdString());
        }
        return rows;
    }
    // The rows the model holds under parent, as far as the view has them open.
    std::vector<std::string> ModelRows(const QModelIndex &parent) {
        CLeftView &tree = frame->TreeView();
        std::vector<std::string> rows;
        for (int row = 0; row < tree.model()->rowCount(parent); ++row) {
            const QModelIndex child = tree.model()->index(row, 0, parent);
            rows.push_back(child.data().toString().toStdString());
            if (tree.isExpanded(child)) {
                for (const std::string &below : ModelRows(child)) {
                    rows.push_back(below);
                }
            }
        }
        return rows;
    }
    // The customers whose volumes are on the To-Scan list.
    std::set<std::string> Listed() {
        std::set<std::string> customers;
        for (const CZARN10TreeVolume *volume : doc->toScanList) {
            customers.insert(volume->GetCustomerId());
        }
        return customers;
    }
    // Opens the tree's menu as the key does and chooses the entry with this text.
    void ChooseFromKeyboardMenu(const QString &entry) {
        QTimer::singleShot(0, [entry]() {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr) << "the tree's menu";
            for (QAction *action : menu->actions()) {
                if (action->text().remove('&') == entry) {
                    menu->setActiveAction(action);
                    QTest::keyClick(menu, Qt::Key_Return);
                    return;
                }
            }
            menu->close();
            FAIL() << "no entry " << entry.toStdString();
        });
        CLeftView &tree = frame->TreeView();
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        QApplication::sendEvent(tree.viewport(), &key);
    }
};

int64_t g_now = 0;
int64_t TestClock() {
    return g_now;
}

TEST_F(TreeViewTest, AnOldTreeRebuiltOnAnAddGoesThroughTheModelAndTheNextAddIsRight) {
    frame->TreeView().expandAll();
    ASSERT_EQ(ShownRows(), ModelRows(QModelIndex()));
    // Meanwhile a customer that sorts first got a move: the new tree differs from the old.
    PutCustomer(server.Admin(), {"ABLE", "Able Archives", 3, 0, "", "", ""});
    PutMedia(server.Admin(), {"ABLE", "LTO9", "LTO-9 cartridges", 0});
    PutVolume(server.Admin(), MakeVolume("ABLE", "E00001", {"LIB1", 4}, {"VLT1", 4}));
    g_now = doc->treeRoot->buildTime + 11 * 60;  // eleven minutes after the build
    ZarnSetClock(TestClock);
    ui.Answer(kAnswerYes);  // "Old Customer Tree": rebuild it
    AddFromTree("ACME");
    ZarnSetClock(nullptr);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Old Customer Tree");
    CZARN30TreeModel &model = frame->TreeView().TreeModel();
    EXPECT_EQ(model.rowCount(), 1) << "one server row, not the old rows again";
    EXPECT_EQ(ShownRows(), ModelRows(QModelIndex())) << "the view shows the tree as it is now";
    EXPECT_TRUE(doc->toScanList.empty()) << "the add that found the tree old adds nothing";

    AddFromTree("BETA");
    EXPECT_EQ(dialogs.filterRuns, 1);
    EXPECT_EQ(Listed(), std::set<std::string>{"BETA"});
}

TEST_F(TreeViewTest, TheKeyboardsMenuActsOnTheCurrentNodeNotTheLastRightClicked) {
    CLeftView &tree = frame->TreeView();
    const QModelIndex beta = Find("BETA");
    ASSERT_TRUE(beta.isValid());
    QTimer::singleShot(0, []() {
        if (QWidget *menu = QApplication::activePopupWidget()) {
            QTest::keyClick(menu, Qt::Key_Escape);
        }
    });
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, tree.visualRect(beta).center(),
                                 tree.viewport()->mapToGlobal(tree.visualRect(beta).center()));
    QApplication::sendEvent(tree.viewport(), &rightClick);  // right-click BETA, then Escape

    tree.setCurrentIndex(Find("ACME"));
    ChooseFromKeyboardMenu("Add");
    EXPECT_EQ(Listed(), std::set<std::string>{"ACME"});
}

TEST_F(TreeViewTest, DecliningTheReloadQuestionChangesNothingOnScreen) {
    AddFromTree("ACME");
    script.scannerLines = {"ACME.LTO9.A00001"};
    doc->settings.scanMode = 0;
    frame->OnCommand(kCmdStartScan);  // one scan not yet on the server
    CLeftView &tree = frame->TreeView();
    const QModelIndex media = Find("LTO9");
    ASSERT_TRUE(media.isValid());
    tree.setCurrentIndex(media);
    ASSERT_TRUE(tree.isExpanded(media.parent()));
    QSignalSpy resets(&tree.TreeModel(), &QAbstractItemModel::modelReset);
    ui.Answer(kAnswerNo);
    QTest::keyClick(&tree, Qt::Key_F5);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_THAT(ui.boxes[0].caption, ::testing::AnyOf("Unprocessed Warning", "Unprinted Warning"));
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(tree.currentIndex(), media) << "the selection stays";
    EXPECT_TRUE(tree.isExpanded(media.parent())) << "the tree stays open";
}

}  // namespace
