// The folder tree: drives, lazy folders, the remembered folder, its menu and folder commands.
#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QTest>

#include "core/files/cqp_doc.h"
#include "core/res/resource_ids.h"
#include "files_test_support.h"
#include "gui/views/files/left_view.h"
#include "gui/widgets/message_box.h"
#include "gui_files_support.h"

using namespace files_test;
using namespace gui_files_test;

namespace {

class CountingView : public FileListView {
public:
    void RefillFromDocument() override { ++refills; }
    int refills = 0;
};

class FolderTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"A", "A/B", "A/B/C", "beta", "Alpha", ".hidden", "gamma"})
            MakeFolder(root / name);
        MakeFolder(stick / "Voice");
        doc.SetMidView(&list);
        doc.SetMessageSelectionClearer([this] { ++clears; });
    }

    std::string RootDesignator() const { return root.Path().substr(0, root.Path().size() - 1); }

    // A tree whose fixed drive is our temporary folder, beside a removable one.
    CLeftView& Tree(const std::string& remembered) {
        leftPath = remembered;
        tree = std::make_unique<CLeftView>(doc, leftPath);
        const std::string stickDesignator = stick.Path().substr(0, stick.Path().size() - 1);
        tree->SetDriveSource([this, stickDesignator] {
            return std::vector<DriveInfo>{
                {RootDesignator(), kDriveFixed, "Disk (" + RootDesignator() + ")"},
                {stickDesignator, kDriveRemovable, "Stick (" + stickDesignator + ")"},
                {"/nowhere", kDriveUnknown, "Unknown (/nowhere)"}};
        });
        tree->resize(300, 400);
        tree->show();
        tree->OnInitialUpdate();
        EXPECT_TRUE(WaitForFileList(*tree));
        return *tree;
    }

    static QTreeWidgetItem* Child(QTreeWidgetItem* parent, const QString& text) {
        for (int i = 0; i < parent->childCount(); ++i)
            if (parent->child(i)->text(0) == text) return parent->child(i);
        return nullptr;
    }
    static QStringList Texts(QTreeWidgetItem* parent) {
        QStringList texts;
        for (int i = 0; i < parent->childCount(); ++i) texts << parent->child(i)->text(0);
        return texts;
    }

    // Opens the folder menu on item as a right click does, and picks command (0: none).
    QStringList RightClick(QTreeWidgetItem* item, int command, QPoint at = {}) {
        QStringList shown;
        tree->SetMenuRunner([&](QMenu& menu, const QPoint&) -> QAction* {
            for (QAction* action : menu.actions()) shown << action->text();
            return command ? file_menus::FindCommand(menu, command) : nullptr;
        });
        if (item) at = tree->visualItemRect(item).center();
        QTest::mousePress(tree->viewport(), Qt::RightButton, {}, at);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, tree->viewport()->mapToGlobal(at));
        QApplication::sendEvent(tree->viewport(), &event);
        QTest::mouseRelease(tree->viewport(), Qt::RightButton, {}, at);
        Settle();
        return shown;
    }

    TempFolder root, stick;
    CQPDoc doc;
    CountingView list;
    int clears = 0;
    std::string leftPath;
    std::unique_ptr<CLeftView> tree;
};

}  // namespace

TEST_F(FolderTreeTest, TheRememberedFolderReopensLevelByLevel) {
    CLeftView& view = Tree(root.Path() + "A/B/");
    ASSERT_EQ(view.topLevelItemCount(), 2);  // the drive of unknown type is left out
    QTreeWidgetItem* b = view.currentItem();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->text(0), "B");
    EXPECT_TRUE(b->isExpanded());
    EXPECT_EQ(view.m_hSelectedItem, b);
    // The drive and A were chosen on the way, but only the files of B, where the tree stops,
    // are shown.
    EXPECT_EQ(list.refills, 1);
    EXPECT_GE(clears, 3);
    EXPECT_EQ(leftPath, root.Path() + "A/B/");
    EXPECT_EQ(doc.GetCurrentFolder(), root.Path() + "A/B/");
    EXPECT_EQ(view.SelectedFolderPath(), root.Path() + "A/B/");
    EXPECT_EQ(Texts(b), QStringList{"C"});
    EXPECT_EQ(Texts(Child(b, "C")), QStringList{"0"});
}

TEST_F(FolderTreeTest, APathWithoutTheFinalSeparatorOrAMissingFolderStopsAbove) {
    EXPECT_EQ(Tree(root.Path() + "A/B").currentItem()->text(0), "A");
    EXPECT_EQ(Tree(root.Path()).currentItem()->text(0),
              "Disk (" + QString::fromStdString(RootDesignator()) + ")");
    EXPECT_EQ(tree->GetItemPath(tree->currentItem()), root.Path());

    // A remembered folder gone since: its nearest parent is shown and remembered instead.
    EXPECT_EQ(Tree(root.Path() + "A/B/Gone/").currentItem()->text(0), "B");
    EXPECT_EQ(leftPath, root.Path() + "A/B/");
    Tree(root.Path() + "Gone/Deeper/");
    EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0));
    EXPECT_EQ(leftPath, root.Path());
    EXPECT_EQ(tree->SelectedFolderPath(), root.Path());
    EXPECT_EQ(doc.GetCurrentFolder(), root.Path());
}

TEST_F(FolderTreeTest, TheShownFolderIsTheSelectedOneNeverOneOnlyExpanded) {
    CLeftView& view = Tree(root.Path() + "A/");
    Child(view.topLevelItem(0), "gamma")->setExpanded(true);
    EXPECT_EQ(leftPath, root.Path() + "gamma/");  // every folder path computed is remembered
    EXPECT_EQ(view.SelectedFolderPath(), root.Path() + "A/");
    EXPECT_EQ(doc.GetCurrentFolder(), root.Path() + "A/");
}

TEST_F(FolderTreeTest, ARememberedFolderOnARemovableDriveIsNotReopened) {
    CLeftView& view = Tree(stick.Path() + "Voice/");
    EXPECT_EQ(view.currentItem(), nullptr);
    EXPECT_EQ(list.refills, 0);
    EXPECT_EQ(Texts(view.topLevelItem(1)), QStringList{"0"});
    EXPECT_EQ(view.GetItemPath(nullptr), "/");
    EXPECT_EQ(view.SelectedFolderPath(), "");  // no folder shown, not the root folder
    EXPECT_EQ(leftPath, stick.Path() + "Voice/");
}

TEST_F(FolderTreeTest, FoldersAreSortedCaseBlindAndReadAgainOnEveryExpansion) {
    CLeftView& view = Tree(root.Path());
    QTreeWidgetItem* drive = view.topLevelItem(0);
    EXPECT_EQ(Texts(drive), (QStringList{".hidden", "A", "Alpha", "beta", "gamma"}));

    QTreeWidgetItem* gamma = Child(drive, "gamma");
    EXPECT_EQ(Texts(gamma), QStringList{"0"});
    gamma->setExpanded(true);
    EXPECT_EQ(gamma->childCount(), 0);  // no subfolders: no placeholder, no expand button

    MakeFolder(root / "gamma/made elsewhere");
    drive->setExpanded(false);
    drive->setExpanded(true);
    gamma = Child(drive, "gamma");
    EXPECT_EQ(Texts(gamma), QStringList{"0"});
    gamma->setExpanded(true);
    EXPECT_EQ(Texts(gamma), QStringList{"made elsewhere"});
}

TEST_F(FolderTreeTest, SelectingADriveShowsItsFilesButKeepsTheRememberedFolder) {
    CLeftView& view = Tree(root.Path() + "A/");
    leftPath = "/kept/";
    view.setCurrentItem(view.topLevelItem(0));
    EXPECT_EQ(leftPath, "/kept/");
    ASSERT_TRUE(WaitForFileList(view));
    EXPECT_EQ(doc.GetCurrentFolder(), root.Path());
    view.setCurrentItem(Child(view.topLevelItem(0), "gamma"));
    EXPECT_EQ(leftPath, root.Path() + "gamma/");
}

TEST_F(FolderTreeTest, ARightClickOpensTheFolderMenuWithoutSelecting) {
    CLeftView& view = Tree(root.Path() + "A/");
    QTreeWidgetItem* alpha = Child(view.topLevelItem(0), "Alpha");
    QTreeWidgetItem* selected = view.currentItem();
    EXPECT_EQ(RightClick(alpha, 0), (QStringList{"New Folder", "Delete", "ReName"}));
    EXPECT_EQ(view.m_hContextItem, alpha);
    EXPECT_EQ(view.currentItem(), selected);

    view.m_hContextItem = nullptr;
    EXPECT_TRUE(RightClick(nullptr, 0, QPoint(5, view.viewport()->height() - 3)).isEmpty());
    EXPECT_EQ(view.m_hContextItem, nullptr);
}

TEST_F(FolderTreeTest, NewFolderMakesTheNextFreeNameAndStartsEditingIt) {
    CLeftView& view = Tree(root.Path());
    QTreeWidgetItem* alpha = Child(view.topLevelItem(0), "Alpha");  // never opened
    RightClick(alpha, res::ID_FOLDER_NEW);
    EXPECT_TRUE(IsFolder(root / "Alpha/New Folder"));
    EXPECT_TRUE(alpha->isExpanded());
    EXPECT_EQ(Texts(alpha), QStringList{"New Folder"});
    ASSERT_NE(Editor(&view), nullptr);
    ASSERT_TRUE(FinishEdit(&view, "Voice"));
    EXPECT_TRUE(IsFolder(root / "Alpha/Voice"));
    EXPECT_EQ(Texts(alpha), QStringList{"Voice"});

    RightClick(alpha, res::ID_FOLDER_NEW);  // opened already: the item is added in place
    EXPECT_EQ(Texts(alpha), (QStringList{"New Folder", "Voice"}));
    ASSERT_TRUE(FinishEdit(&view, "New Folder"));  // keeping the offered name
    EXPECT_TRUE(IsFolder(root / "Alpha/New Folder"));
}

TEST_F(FolderTreeTest, RenameInPlaceChecksTheNameAndEscapeRenamesNothing) {
    CLeftView& view = Tree(root.Path());
    QTreeWidgetItem* alpha = Child(view.topLevelItem(0), "Alpha");
    ScriptedMessageBoxes boxes;

    RightClick(alpha, res::ID_FILE_RENAME);
    ASSERT_TRUE(FinishEdit(&view, "Escaped", true));
    EXPECT_EQ(alpha->text(0), "Alpha");
    EXPECT_FALSE(Exists(root / "Escaped"));
    EXPECT_TRUE(boxes.Shown().empty());

    RightClick(alpha, res::ID_FILE_RENAME);
    ASSERT_TRUE(FinishEdit(&view, ""));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "You Must Input FolderName.");
    EXPECT_EQ(boxes.Shown()[0].caption, "Folder ReName");
    EXPECT_EQ(boxes.Shown()[0].kind, MessageBox::Stop);
    ASSERT_NE(Editor(&view), nullptr);  // editing again

    ASSERT_TRUE(FinishEdit(&view, "beta"));
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[1].caption, "Folder ReName Failed ");
    ASSERT_NE(Editor(&view), nullptr);

    ASSERT_TRUE(FinishEdit(&view, "Delta"));
    EXPECT_EQ(alpha->text(0), "Delta");
    EXPECT_TRUE(IsFolder(root / "Delta"));
    EXPECT_EQ(leftPath, root.Path() + "Delta/");
    EXPECT_EQ(boxes.Shown().size(), 2u);
}

TEST_F(FolderTreeTest, RenamingTheShownFolderKeepsTheFileListPathsGood) {
    WriteFile(root / "A/B/memo.wav", "x");
    CLeftView& view = Tree(root.Path() + "A/B/");
    RightClick(Child(view.topLevelItem(0), "A"), res::ID_FILE_RENAME);
    ASSERT_TRUE(FinishEdit(&view, "A2"));
    ASSERT_TRUE(WaitForFileList(view));
    EXPECT_EQ(doc.GetCurrentFolder(), root.Path() + "A2/B/");
    ASSERT_EQ(doc.GetFileList()->size(), 1u);
    EXPECT_EQ((*doc.GetFileList())[0]->path, root.Path() + "A2/B/memo.wav");
}

TEST_F(FolderTreeTest, DrivesCannotBeRenamedOrDeleted) {
    CLeftView& view = Tree(root.Path());
    ScriptedMessageBoxes boxes;
    RightClick(view.topLevelItem(0), res::ID_FILE_RENAME);
    EXPECT_EQ(Editor(&view), nullptr);
    RightClick(view.topLevelItem(0), res::ID_FILE_DELETE);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(view.topLevelItemCount(), 2);
}

TEST_F(FolderTreeTest, DeleteAsksOnceAndRemovesTheFolderAndItsItem) {
    WriteFile(root / "A/B/memo.wav", "x");
    CLeftView& view = Tree(root.Path() + "A/B/");
    QTreeWidgetItem* a = Child(view.topLevelItem(0), "A");
    ScriptedMessageBoxes boxes;

    RightClick(a, res::ID_FILE_DELETE);  // answered No
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "'" + root.Path() +
                                         "A' Do You Want Delete Folder?\n"
                                         "It Holds 1 File(s) and 2 Folder(s).");
    EXPECT_EQ(boxes.Shown()[0].caption, "Delete Folder ");
    EXPECT_EQ(boxes.Shown()[0].kind, MessageBox::Question);
    EXPECT_TRUE(Exists(root / "A/B/memo.wav"));

    boxes.Answer(MessageBox::IdYes);
    RightClick(a, res::ID_FILE_DELETE);
    EXPECT_EQ(boxes.Shown().size(), 2u);
    EXPECT_FALSE(Exists(root / "A"));
    EXPECT_EQ(Child(view.topLevelItem(0), "A"), nullptr);
    // The selection was inside: it moved on, and no handle points at a deleted item.
    EXPECT_EQ(view.m_hContextItem, nullptr);
    EXPECT_EQ(view.m_hSelectedItem, view.currentItem());
    EXPECT_NO_FATAL_FAILURE(view.SelectedFolderPath());
}

// Folder names that are not valid UTF-8 (an old archive, a stick written in another code page)
// all show as "caf\uFFFD"; each item still stands for its own folder.
TEST_F(FolderTreeTest, FoldersWhoseNamesAreNotUtf8AreActedOnByTheirOwnBytes) {
    const std::string e9 = "caf\xe9", e8 = "caf\xe8";
    for (const std::string& name : {e9, e8}) MakeFolder(root / name);
    WriteFile(root / (e9 + "/one.wav"), "1");
    WriteFile(root / (e8 + "/two.wav"), "2");

    CLeftView& view = Tree(root.Path() + e8 + "/");  // reopened by its bytes
    ASSERT_NE(view.currentItem(), nullptr);
    EXPECT_EQ(view.SelectedFolderPath(), root.Path() + e8 + "/");
    ASSERT_EQ(doc.GetFileList()->size(), 1u);
    EXPECT_EQ((*doc.GetFileList())[0]->path, root.Path() + e8 + "/two.wav");

    QTreeWidgetItem* drive = view.topLevelItem(0);
    auto itemFor = [&](const std::string& name) -> QTreeWidgetItem* {
        for (int i = 0; i < drive->childCount(); ++i)
            if (view.GetItemPath(drive->child(i)) == root.Path() + name + "/")
                return drive->child(i);
        return nullptr;
    };
    QTreeWidgetItem* first = itemFor(e9);
    QTreeWidgetItem* second = itemFor(e8);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->text(0), second->text(0));

    // Confirming the shown label unchanged renames nothing.
    ScriptedMessageBoxes boxes;
    RightClick(first, res::ID_FILE_RENAME);
    ASSERT_NE(Editor(&view), nullptr);
    ASSERT_TRUE(FinishEdit(&view, Editor(&view)->text()));
    EXPECT_TRUE(IsFolder(root / e9));
    EXPECT_TRUE(boxes.Shown().empty());

    // Deleting one takes that one alone.
    boxes.Answer(MessageBox::IdYes);
    RightClick(first, res::ID_FILE_DELETE);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "'" + root.Path() + e9 +
                                         "' Do You Want Delete Folder?\nIt Holds 1 File(s) and "
                                         "0 Folder(s).");
    EXPECT_FALSE(Exists(root / e9));
    EXPECT_EQ(ReadFile(root / (e8 + "/two.wav")), "2");
    EXPECT_EQ(itemFor(e9), nullptr);
    EXPECT_EQ(itemFor(e8), second);

    // A new name is taken as typed.
    RightClick(second, res::ID_FILE_RENAME);
    ASSERT_TRUE(FinishEdit(&view, "cafe"));
    EXPECT_EQ(NamesIn(root / "cafe"), std::vector<std::string>{"two.wav"});
    EXPECT_EQ(second->text(0), "cafe");
}

TEST_F(FolderTreeTest, AFailedDeleteKeepsTheItemAndShowsWhatIsLeft) {
    WriteFile(root / "A/B/memo.wav", "x");
    CLeftView& view = Tree(root.Path() + "A/");
    QTreeWidgetItem* a = view.currentItem();
    ASSERT_EQ(Texts(a), QStringList{"B"});
    // The emptied folder cannot go: its parent's names are fixed.
    FixedFolder fixed(root.Path());
    if (!fixed.Fixed()) GTEST_SKIP() << "this file system cannot make a folder's names fixed";
    ScriptedMessageBoxes boxes;
    boxes.Answer(MessageBox::IdYes);
    RightClick(a, res::ID_FILE_DELETE);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[1].text, "Delete Folder Failed.");
    EXPECT_TRUE(IsFolder(root / "A"));
    ASSERT_EQ(Child(view.topLevelItem(0), "A"), a);  // still there, now empty
    EXPECT_EQ(a->childCount(), 0);
}
