// Dragging files from the file list onto a folder of the folder tree.
#include <gtest/gtest.h>

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTreeView>

#include "core/files/cqp_doc.h"
#include "core/files/file_copy_record.h"
#include "files_test_support.h"
#include "gui/views/files/file_list_model.h"
#include "gui/views/files/left_view.h"
#include "gui/views/files/mid_view.h"
#include "gui/widgets/message_box.h"
#include "gui_files_support.h"

using namespace files_test;
using namespace gui_files_test;

namespace {

// Drops straight into the tree, so a drop can be tried even where a drag would be refused.
class DropTree : public CLeftView {
public:
    using CLeftView::CLeftView;
    using CLeftView::dropEvent;
};

class DragDropTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeFolder(root / "From");
        MakeFolder(root / "To");
        for (const char* name : {"one.wav", "two.wav", "three.wav"})
            WriteFile(root / (std::string("From/") + name), name);
        list = std::make_unique<CMidView>(doc);
        leftPath = root.Path() + "From/";
        tree = std::make_unique<DropTree>(doc, leftPath);
        const std::string designator = root.Path().substr(0, root.Path().size() - 1);
        tree->SetDriveSource([designator] {
            return std::vector<DriveInfo>{{designator, kDriveFixed, "Disk (" + designator + ")"}};
        });
        tree->resize(300, 300);
        list->resize(400, 300);
        tree->show();
        list->show();
        tree->OnInitialUpdate();
        ASSERT_TRUE(WaitForFileList(*tree));
        ASSERT_EQ(list->Model()->rowCount(), 3);  // one.wav, three.wav, two.wav
    }

    QTreeWidgetItem* Folder(const QString& name) {
        QTreeWidgetItem* drive = tree->topLevelItem(0);
        for (int i = 0; i < drive->childCount(); ++i)
            if (drive->child(i)->text(0) == name) return drive->child(i);
        return nullptr;
    }
    void SelectRows(std::initializer_list<int> rows) {
        for (int row : rows)
            list->ReportView()->selectionModel()->select(
                list->Model()->index(row, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    // Moves a drag carrying data to point over the tree; true when the tree offers to copy.
    bool DragTo(const QMimeData& data, QPoint point) {
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        QDragEnterEvent enter(point, offered, &data, Qt::LeftButton, {});
        QApplication::sendEvent(tree->viewport(), &enter);
        if (!enter.isAccepted()) return false;
        QDragMoveEvent move(point, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data,
                            Qt::LeftButton, {});
        QApplication::sendEvent(tree->viewport(), &move);
        return move.isAccepted() && move.dropAction() == Qt::CopyAction;
    }
    void DropAt(const QMimeData& data, QPoint point) {
        QDropEvent drop(point, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data,
                        Qt::LeftButton, {});
        tree->dropEvent(&drop);
    }
    QPoint CenterOf(QTreeWidgetItem* item) { return tree->visualItemRect(item).center(); }

    TempFolder root;
    CQPDoc doc;
    std::string leftPath;
    std::unique_ptr<CMidView> list;
    std::unique_ptr<DropTree> tree;
};

}  // namespace

TEST_F(DragDropTest, DraggingTwoRowsOntoAFolderCopiesBothAndChangesNothingElse) {
    SelectRows({0, 2});
    QTreeWidgetItem* selectedBefore = tree->currentItem();
    list->SetDragRunner([&](QMimeData* data) {
        ASSERT_TRUE(DragTo(*data, CenterOf(Folder("To"))));
        EXPECT_EQ(tree->DropHighlightItem(), Folder("To"));
        DropAt(*data, CenterOf(Folder("To")));
    });
    list->OnBeginDrag();

    EXPECT_EQ(NamesIn(root / "To"), (std::vector<std::string>{"one.wav", "two.wav"}));
    EXPECT_EQ(ReadFile(root / "To/two.wav"), "two.wav");
    EXPECT_EQ(tree->DropHighlightItem(), nullptr);
    EXPECT_EQ(tree->currentItem(), selectedBefore);
    EXPECT_EQ(list->Model()->rowCount(), 3);
    EXPECT_EQ(NamesIn(root / "From").size(), 3u);  // a drop never moves
}

TEST_F(DragDropTest, AFileAlreadyThereIsAskedAboutAndNoSkipsIt) {
    WriteFile(root / "To/one.wav", "older");
    SelectRows({0, 2});
    ScriptedMessageBoxes boxes;
    std::unique_ptr<QMimeData> data(list->MakeDragData());
    ASSERT_TRUE(DragTo(*data, CenterOf(Folder("To"))));
    DropAt(*data, CenterOf(Folder("To")));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Existed the  'one.wav' File.\nDo You Want Change This File?");
    EXPECT_EQ(boxes.Shown()[0].caption, "File Change ");
    EXPECT_EQ(boxes.Shown()[0].kind, MessageBox::Question);
    EXPECT_EQ(ReadFile(root / "To/one.wav"), "older");
    EXPECT_EQ(ReadFile(root / "To/two.wav"), "two.wav");
}

TEST_F(DragDropTest, DroppingOnTheFilesOwnFolderKeepsThemWholeAndSaysSo) {
    SelectRows({0, 1, 2});
    ScriptedMessageBoxes boxes;
    std::unique_ptr<QMimeData> data(list->MakeDragData());
    ASSERT_TRUE(DragTo(*data, CenterOf(Folder("From"))));
    DropAt(*data, CenterOf(Folder("From")));
    ASSERT_EQ(boxes.Shown().size(), 1u);  // no question whose Yes would do nothing
    EXPECT_EQ(boxes.Shown()[0].text,
              "Already in This Folder, Not Copied:\none.wav\nthree.wav\ntwo.wav");
    EXPECT_EQ(boxes.Shown()[0].kind, MessageBox::Stop);
    EXPECT_EQ(ReadFile(root / "From/one.wav"), "one.wav");
    EXPECT_EQ(ReadFile(root / "From/three.wav"), "three.wav");
    EXPECT_EQ(NamesIn(root / "From").size(), 3u);
}

TEST_F(DragDropTest, OnlyOurOwnRecordOverAnItemIsAccepted) {
    SelectRows({0});
    std::unique_ptr<QMimeData> ours(list->MakeDragData());
    const QPoint below(10, tree->viewport()->height() - 3);
    ASSERT_TRUE(DragTo(*ours, CenterOf(Folder("To"))));
    EXPECT_FALSE(DragTo(*ours, below));
    EXPECT_EQ(tree->DropHighlightItem(), nullptr);
    // Coming in over empty space, the tree still follows the drag to a folder.
    QDragEnterEvent enter(below, Qt::CopyAction, ours.get(), Qt::LeftButton, {});
    QApplication::sendEvent(tree->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::IgnoreAction);

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(root / "From/one.wav"))});
    EXPECT_FALSE(DragTo(files, CenterOf(Folder("To"))));

    CQPDoc other;  // another running program
    other.FillFileList(root / "From/");
    other.SetCopyList({(*other.GetFileList())[0].get()});
    QMimeData foreign;
    foreign.setData(kFileCopyMimeType, QByteArray::fromStdString(other.StoreCopyList()));
    EXPECT_FALSE(DragTo(foreign, CenterOf(Folder("To"))));
    DropAt(foreign, CenterOf(Folder("To")));
    EXPECT_TRUE(NamesIn(root / "To").empty());

    doc.FillFileList(root / "From/");  // the dragged entries are gone
    EXPECT_FALSE(DragTo(*ours, CenterOf(Folder("To"))));
    DropAt(*ours, CenterOf(Folder("To")));
    EXPECT_TRUE(NamesIn(root / "To").empty());
}
