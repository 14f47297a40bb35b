// The recorder message tree on a directory filled by hand: labels, counts, gaps, open folders
// across rebuilds, the current message and its flag, clicks, the context menu, the Delete key.
#include <gtest/gtest.h>

#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <ctime>

#include "core/link/message_directory.h"
#include "core/res/resource_ids.h"
#include "gui/views/recorder/right_view.h"
#include "tests/gui/gui_test_support.h"

using guitest::Children;
using guitest::ClickItem;
using guitest::Texts;

namespace {

void SetHeader(MessageEntry& entry, int qualityBits, int length, int timeValue, int dateValue) {
    entry.header.bytes = {};
    entry.header.bytes[1] = static_cast<std::uint8_t>(qualityBits << 5);
    entry.header.bytes[4] = static_cast<std::uint8_t>(length);
    entry.header.bytes[5] = static_cast<std::uint8_t>(length >> 8);
    entry.header.bytes[6] = static_cast<std::uint8_t>(timeValue);
    entry.header.bytes[7] = static_cast<std::uint8_t>(timeValue >> 8);
    entry.header.bytes[8] = static_cast<std::uint8_t>(dateValue);
    entry.header.bytes[9] = static_cast<std::uint8_t>(dateValue >> 8);
    entry.loaded = 1;
}

class RightViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.resize(300, 600);
        tree.show();
        tree.OnInitialUpdate();
    }

    // counts per folder, every entry loaded with a plain header.
    void Fill(std::array<int, 5> counts) {
        for (int f = 0; f < 5; ++f) {
            directory.SetCount(f, counts[f]);
            for (int m = 1; m <= counts[f]; ++m) {
                SetHeader(directory.Entry(f, m), 3, 153, 25350, 358);
            }
        }
    }

    std::vector<std::string> FolderLabels() {
        std::vector<QTreeWidgetItem*> items;
        for (int i = 0; i < tree.topLevelItemCount(); ++i) items.push_back(tree.topLevelItem(i));
        return Texts(items);
    }

    std::vector<std::string> MessageNumbers(int folder) {
        std::vector<std::string> numbers;
        for (auto* item : Children(tree.topLevelItem(folder))) {
            numbers.push_back(item->text(0).left(item->text(0).indexOf(':')).toStdString());
        }
        return numbers;
    }

    MessageDirectory directory;
    int mode = 2;  // the recorder variant the lengths are shown for
    CRightView tree;
};

}  // namespace

TEST_F(RightViewTest, EmptyTreeShowsTheFiveBareFolders) {
    EXPECT_EQ(FolderLabels(),
              (std::vector<std::string>{"1 File", "2 File", "3 File", "4 File", "5 File"}));
    for (int f = 0; f < 5; ++f) {
        EXPECT_EQ(CRightView::ImageOf(tree.topLevelItem(f)), CRightView::kImageFolder);
        EXPECT_EQ(tree.topLevelItem(f)->childCount(), 0);
    }
    EXPECT_FALSE(tree.acceptDrops());
}

TEST_F(RightViewTest, DirectoryGivesCountedFoldersAndNumberedMessages) {
    Fill({3, 0, 0, 0, 2});
    tree.ShowDirectory(directory, mode);
    EXPECT_EQ(FolderLabels(), (std::vector<std::string>{"1 File (3)", "2 File (0)", "3 File (0)",
                                                        "4 File (0)", "5 File (2)"}));
    EXPECT_EQ(MessageNumbers(0), (std::vector<std::string>{"01", "02", "03"}));
    EXPECT_EQ(MessageNumbers(4), (std::vector<std::string>{"01", "02"}));
    EXPECT_EQ(tree.topLevelItem(2)->childCount(), 0);
    EXPECT_EQ(CRightView::ImageOf(tree.topLevelItem(0)->child(0)), CRightView::kImageMessage);
}

TEST_F(RightViewTest, MessageLabelsCarryDateTimeQualityAndDuration) {
    Fill({3, 1, 1, 1, 0});
    // 25 December (2001-12-25 is day 358) at 14:05, SP, length 153 in mode 2: 67 s.
    SetHeader(directory.Entry(0, 3), 3, 153, 25350, 358);
    // Mode 1, quality bits 0 (LP), length 1000: 1067 s; time 0 is midnight.
    SetHeader(directory.Entry(1, 1), 0, 1000, 0, 0);
    // MP, time value 43199 is 23:59.
    SetHeader(directory.Entry(2, 1), 2, 100, 43199, 31);
    tree.ShowDirectory(directory, mode);
    EXPECT_EQ(tree.topLevelItem(0)->child(2)->text(0).toStdString(), "03: 12-25 14:05 (SP-1:07)");
    EXPECT_EQ(tree.topLevelItem(2)->child(0)->text(0).toStdString(), "01: 02-01 23:59 (MP-0:58)");

    mode = 1;
    tree.ShowDirectory(directory, mode);
    EXPECT_EQ(tree.topLevelItem(1)->child(0)->text(0).toStdString(), "01: 01-01 00:00 (LP-17:47)");
}

TEST_F(RightViewTest, EntriesNotLoadedLeaveGapsAndCountsStayAsReported) {
    Fill({3, 0, 0, 0, 0});
    directory.Entry(0, 2).loaded = 0;
    tree.ShowDirectory(directory, mode);
    EXPECT_EQ(tree.topLevelItem(0)->text(0).toStdString(), "1 File (3)");
    EXPECT_EQ(MessageNumbers(0), (std::vector<std::string>{"01", "03"}));

    // The second item shown is message 3, with the date the directory gave when the tree was
    // built, whatever the directory holds by now.
    tree.topLevelItem(0)->setExpanded(true);
    ClickItem(tree, tree.topLevelItem(0)->child(1));
    SetHeader(directory.Entry(0, 3), 3, 153, 0, 0);
    int message = 0, folder = -1;
    ASSERT_TRUE(tree.GetCurrentMessage(message, folder));
    EXPECT_EQ(message, 3);
    EXPECT_EQ(folder, 0);
    EXPECT_EQ(tree.GetCurrentMessageDate(), "2001-12-25 14:05");
    ClickItem(tree, tree.topLevelItem(1));
    EXPECT_EQ(tree.GetCurrentMessageDate(), "");
}

TEST_F(RightViewTest, OpenFoldersStayOpenAcrossRebuilds) {
    Fill({3, 2, 0, 1, 2});
    tree.ShowDirectory(directory, mode);
    tree.topLevelItem(1)->setExpanded(true);
    tree.topLevelItem(4)->setExpanded(true);
    tree.RememberExpandedFolders();
    EXPECT_EQ(tree.m_expanded, (std::array<int, 5>{-1, 1, -1, -1, 4}));

    directory.SetCount(1, 1);  // as after a delete
    tree.ShowDirectory(directory, mode);
    std::vector<bool> open;
    for (int f = 0; f < 5; ++f) open.push_back(tree.topLevelItem(f)->isExpanded());
    EXPECT_EQ(open, (std::vector<bool>{false, true, false, false, true}));
    EXPECT_EQ(tree.topLevelItem(1)->text(0).toStdString(), "2 File (1)");

    // Without a directory nothing is open.
    tree.ShowEmptyFolders();
    EXPECT_EQ(tree.m_expanded, (std::array<int, 5>{-1, -1, -1, -1, -1}));
}

TEST_F(RightViewTest, MessageOneHundredIsNeverTakenForMessageTen) {
    Fill({100, 0, 0, 0, 0});
    tree.ShowDirectory(directory, mode);
    QTreeWidgetItem* last = tree.topLevelItem(0)->child(99);
    ASSERT_TRUE(last->text(0).startsWith(QStringLiteral("100: ")));
    tree.topLevelItem(0)->setExpanded(true);
    ClickItem(tree, last);
    int message = 0, folder = -1;
    ASSERT_TRUE(tree.GetCurrentMessage(message, folder));
    EXPECT_EQ(message, 100);
    EXPECT_EQ(folder, 0);
    EXPECT_EQ(tree.m_nCurrentFolder, 0);
}

TEST_F(RightViewTest, MessageSelectionFollowsTheCurrentItemAndDiesWithTheTree) {
    Fill({2, 1, 0, 0, 0});
    tree.ShowDirectory(directory, mode);
    tree.topLevelItem(0)->setExpanded(true);
    QSignalSpy currentChanges(&tree, &CRightView::currentMessageChanged);

    ClickItem(tree, tree.topLevelItem(0)->child(1));
    EXPECT_EQ(tree.m_bMessageSelected, 1);
    EXPECT_EQ(tree.GetCurrentItemText().substr(0, 3), "02:");
    EXPECT_GE(currentChanges.count(), 1);

    currentChanges.clear();
    ClickItem(tree, tree.topLevelItem(1));
    EXPECT_EQ(tree.m_bMessageSelected, 0);
    EXPECT_GE(currentChanges.count(), 1);
    int message = 0, folder = 0;
    EXPECT_FALSE(tree.GetCurrentMessage(message, folder)) << "a folder is no message";

    // Another pane took the selection.
    ClickItem(tree, tree.topLevelItem(0)->child(0));
    tree.ClearMessageSelection();
    EXPECT_EQ(tree.m_bMessageSelected, 0);
    // Clicking the message again brings it back.
    ClickItem(tree, tree.topLevelItem(0)->child(0));
    EXPECT_EQ(tree.m_bMessageSelected, 1);

    // A rebuild leaves nothing current.
    tree.RememberExpandedFolders();
    tree.ShowDirectory(directory, mode);
    EXPECT_EQ(tree.m_bMessageSelected, 0);
    EXPECT_EQ(tree.m_hCurrentItem, nullptr);
    EXPECT_FALSE(tree.GetCurrentMessage(message, folder));
    EXPECT_EQ(tree.GetCurrentItemText(), "");
}

TEST_F(RightViewTest, RightClickOnAMessageShowsTheMenuOnAFolderOnlyMakesItCurrent) {
    Fill({2, 0, 0, 0, 0});
    tree.ShowDirectory(directory, mode);
    tree.topLevelItem(0)->setExpanded(true);
    ClickItem(tree, tree.topLevelItem(0)->child(0));
    ASSERT_EQ(tree.m_bMessageSelected, 1);

    // A folder: current, the selection stays on the message, no menu, nothing to play.
    ClickItem(tree, tree.topLevelItem(0), /*right=*/true);
    EXPECT_EQ(tree.m_hCurrentItem, tree.topLevelItem(0));
    EXPECT_EQ(tree.currentItem(), tree.topLevelItem(0)->child(0));
    EXPECT_FALSE(tree.ContextMenu()->isVisible());
    EXPECT_EQ(tree.m_bMessageSelected, 0);

    // A message: its menu with the three commands at the pointer.
    QTreeWidgetItem* second = tree.topLevelItem(0)->child(1);
    ClickItem(tree, second, /*right=*/true);
    EXPECT_EQ(tree.m_hCurrentItem, second);
    EXPECT_EQ(tree.m_bMessageSelected, 1);
    QMenu* menu = tree.ContextMenu();
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->pos(), tree.viewport()->mapToGlobal(tree.visualItemRect(second).center()));
    std::vector<int> ids;
    std::vector<std::string> texts;
    for (QAction* action : menu->actions()) {
        ids.push_back(action->isSeparator() ? 0 : action->data().toInt());
        texts.push_back(action->text().toStdString());
    }
    EXPECT_EQ(ids, (std::vector<int>{32793, 0, 32794, 0, 32785}));
    EXPECT_EQ(texts, (std::vector<std::string>{"Play", "", "Save to Wav File", "", "Delete"}));

    QSignalSpy commands(&tree, &CRightView::commandIssued);
    menu->actions().at(4)->trigger();
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands.at(0).at(0).toInt(), res::ID_MESSAGE_DELETE);
    menu->hide();
}

TEST_F(RightViewTest, DeleteKeyActsOnTheMessageTheKeysMovedTo) {
    Fill({3, 0, 0, 0, 0});
    tree.ShowDirectory(directory, mode);
    tree.topLevelItem(0)->setExpanded(true);
    QSignalSpy deletes(&tree, &CRightView::deleteKeyPressed);
    ClickItem(tree, tree.topLevelItem(0)->child(0));
    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_Down);
    QTest::keyClick(&tree, Qt::Key_Delete);
    ASSERT_EQ(deletes.count(), 1);
    int message = 0, folder = 0;
    ASSERT_TRUE(tree.GetCurrentMessage(message, folder));
    EXPECT_EQ(message, 2);

    // On a folder the key does nothing.
    tree.setCurrentItem(tree.topLevelItem(1));
    QTest::keyClick(&tree, Qt::Key_Delete);
    EXPECT_EQ(deletes.count(), 1);
}

TEST_F(RightViewTest, ExpandingAFolderSelectsItAndClearsTheMessageSelection) {
    Fill({2, 2, 0, 0, 0});
    tree.ShowDirectory(directory, mode);
    tree.topLevelItem(0)->setExpanded(true);
    ClickItem(tree, tree.topLevelItem(0)->child(0));
    ASSERT_EQ(tree.m_bMessageSelected, 1);
    tree.topLevelItem(1)->setExpanded(true);  // as its button does
    EXPECT_EQ(tree.currentItem(), tree.topLevelItem(1));
    EXPECT_EQ(tree.m_bMessageSelected, 0);
}
