// The file list: rows, view styles, menus, keys, double-click, rename and delete in place.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QTest>
#include <QTreeView>

#include "core/files/cqp_doc.h"
#include "core/res/resource_ids.h"
#include "files_test_support.h"
#include "gui/views/files/file_list_model.h"
#include "gui/views/files/file_properties_dlg.h"
#include "gui/views/files/mid_view.h"
#include "gui/widgets/message_box.h"
#include "gui_files_support.h"

using namespace files_test;
using namespace gui_files_test;

namespace {

class FileListTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(root / "B.wav", std::string(980, 'b'));
        WriteFile(root / "a.wav", "a");
        WriteFile(root / "c.WAV", "c");
        WriteFile(root / "notes.txt", "not listed");
        const struct timespec times[2] = {{983923200, 0}, {983923200, 0}};  // 2001-03-07
        utimensat(AT_FDCWD, (root / "B.wav").c_str(), times, 0);
        doc.SetMessageSelectionClearer([this] { ++clears; });
        view = std::make_unique<CMidView>(doc);
        view->resize(500, 400);
        view->show();
        doc.FillFileList(root.Path());
    }

    QString Cell(int row, int column) const {
        return view->Model()->index(row, column).data().toString();
    }
    QStringList Names() const {
        QStringList names;
        for (int row = 0; row < view->Model()->rowCount(); ++row) names << Cell(row, 0);
        return names;
    }
    void Select(std::initializer_list<int> rows) {
        QItemSelectionModel* selection = view->ReportView()->selectionModel();
        selection->clearSelection();
        for (int row : rows)
            selection->select(view->Model()->index(row, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        if (rows.size())
            selection->setCurrentIndex(view->Model()->index(*rows.begin(), 0),
                                       QItemSelectionModel::NoUpdate);
    }
    // The context menu's items, and picks command (0: none).
    QStringList Menu(int command, bool* renameEnabled = nullptr) {
        QStringList shown;
        view->SetMenuRunner([&](QMenu& menu, const QPoint&) -> QAction* {
            for (QAction* action : menu.actions()) shown << action->text();
            if (QAction* rename = file_menus::FindCommand(menu, res::ID_FILE_RENAME))
                if (renameEnabled) *renameEnabled = rename->isEnabled();
            if (QAction* report = file_menus::FindCommand(menu, res::ID_VIEW_DETAILS))
                shown << (report->isChecked() ? "Report checked" : "Report unchecked");
            return command ? file_menus::FindCommand(menu, command) : nullptr;
        });
        view->ShowContextMenu(QPoint(10, 10));
        return shown;
    }

    TempFolder root;
    CQPDoc doc;
    int clears = 0;
    std::unique_ptr<CMidView> view;
};

}  // namespace

TEST_F(FileListTest, ReportViewHasTheFourColumnsAndRowsInAscendingNameOrder) {
    view->SetViewMode(CMidView::kReport);
    QHeaderView* header = view->ReportView()->header();
    ASSERT_EQ(view->Model()->columnCount(), 4);
    const QStringList titles{"Name", "Size", "Kind", "Change Date"};
    const int widths[] = {130, 60, 70, 80};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(view->Model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(),
                  titles[column]);
        EXPECT_EQ(header->sectionSize(column), widths[column]);
    }
    EXPECT_TRUE(view->Model()->index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                Qt::AlignRight);

    EXPECT_EQ(Names(), (QStringList{"a.wav", "B.wav", "c.WAV"}));
    EXPECT_EQ(Cell(1, 1), "980");
    EXPECT_EQ(Cell(1, 2), "wav File");
    EXPECT_EQ(Cell(1, 3), "2001/3/7");
    EXPECT_EQ(Cell(2, 2), "WAV File");

    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    EXPECT_EQ(Names(), (QStringList{"a.wav", "B.wav", "c.WAV"}));  // headers do not sort
}

TEST_F(FileListTest, AFolderWithoutWavFilesLeavesTheListEmpty) {
    TempFolder empty;
    doc.FillFileList(empty.Path());
    EXPECT_EQ(view->Model()->rowCount(), 0);
    EXPECT_EQ(view->Model()->columnCount(), 4);
}

TEST_F(FileListTest, IconsAreLookedUpOncePerFileType) {
    for (int row = 0; row < view->Model()->rowCount(); ++row)
        EXPECT_FALSE(view->Model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    doc.FillFileList(root.Path());
    for (int row = 0; row < view->Model()->rowCount(); ++row)
        view->Model()->index(row, 0).data(Qt::DecorationRole);
    EXPECT_EQ(view->Model()->Icons().LookupCount(), 1);  // ".wav" and ".WAV" are one type
}

TEST_F(FileListTest, FourViewStylesShowTheSameRows) {
    EXPECT_EQ(view->GetViewMode(), CMidView::kLargeIcons);
    EXPECT_EQ(view->CurrentView(), view->IconView());
    EXPECT_EQ(view->IconView()->viewMode(), QListView::IconMode);
    view->SetViewMode(CMidView::kList);
    EXPECT_EQ(view->IconView()->viewMode(), QListView::ListMode);
    EXPECT_EQ(view->IconView()->flow(), QListView::TopToBottom);
    view->SetViewMode(CMidView::kSmallIcons);
    EXPECT_EQ(view->IconView()->flow(), QListView::LeftToRight);
    EXPECT_EQ(view->IconView()->iconSize(), QSize(16, 16));
    view->SetViewMode(CMidView::kReport);
    EXPECT_EQ(view->CurrentView(), view->ReportView());
    view->SetViewMode(7);
    EXPECT_EQ(view->GetViewMode(), CMidView::kReport);
    // One selection for all styles.
    Select({1});
    view->SetViewMode(CMidView::kList);
    EXPECT_TRUE(view->IconView()->selectionModel()->isRowSelected(1, {}));
}

TEST_F(FileListTest, TheContextMenuDependsOnTheSelection) {
    view->SetViewMode(CMidView::kReport);
    EXPECT_EQ(Menu(0), (QStringList{"View Style", "Report checked"}));
    std::vector<int> commands;
    QObject::connect(view.get(), &CMidView::viewStyleCommand,
                     [&](int id) { commands.push_back(id); });
    Menu(res::ID_VIEW_LIST);
    EXPECT_EQ(commands, std::vector<int>{res::ID_VIEW_LIST});

    bool renameEnabled = false;
    Select({0});
    EXPECT_EQ(Menu(0, &renameEnabled), (QStringList{"Delete", "ReName", "", "Information"}));
    EXPECT_TRUE(renameEnabled);
    Select({0, 2});
    Menu(0, &renameEnabled);
    EXPECT_FALSE(renameEnabled);
}

TEST_F(FileListTest, EveryKeyButDeleteIsAnswered) {
    view->SetViewMode(CMidView::kReport);
    ScriptedMessageBoxes boxes;
    QTest::keyClick(view->ReportView(), Qt::Key_Down);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Not Delete Key!");
    EXPECT_EQ(boxes.Shown()[0].kind, MessageBox::Plain);

    // Shift and Ctrl alone must stay usable for picking several rows with the mouse.
    QTest::keyClick(view->ReportView(), Qt::Key_Shift);
    QTest::keyClick(view->ReportView(), Qt::Key_Control);
    view->ReportView()->selectionModel()->clearSelection();
    QTest::keyClick(view->ReportView(), Qt::Key_Delete);  // nothing selected: nothing happens
    EXPECT_EQ(boxes.Shown().size(), 1u);
}

TEST_F(FileListTest, DeleteAsksWithTheCountAndRemovesTheRows) {
    view->SetViewMode(CMidView::kReport);
    ScriptedMessageBoxes boxes;
    Select({1});
    QTest::keyClick(view->ReportView(), Qt::Key_Delete);  // answered No
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Do You Want Delete File?\nB.wav");
    EXPECT_EQ(boxes.Shown()[0].caption, "Delete File");
    EXPECT_EQ(boxes.Shown()[0].kind, MessageBox::Question);
    EXPECT_TRUE(Exists(root / "B.wav"));

    Select({0, 2});
    boxes.Answer(MessageBox::IdYes);
    Menu(res::ID_FILE_DELETE);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[1].text, "Do You Want Delete 2 File?\na.wav\nc.WAV");
    EXPECT_EQ(Names(), QStringList{"B.wav"});
    EXPECT_EQ(NamesIn(root.Path()), (std::vector<std::string>{"B.wav", "notes.txt"}));
    EXPECT_EQ(doc.GetFileList()->size(), 3u);  // entries stay until the next fill
}

TEST_F(FileListTest, ADoubleClickAnywhereOnARowOpensItsFile) {
    view->SetViewMode(CMidView::kReport);
    std::vector<std::string> opened;
    view->SetOpener([&](const std::string& path) { opened.push_back(path); });
    QTreeView* report = view->ReportView();
    const QRect sizeCell = report->visualRect(view->Model()->index(1, 1));
    QTest::mouseDClick(report->viewport(), Qt::LeftButton, {}, sizeCell.center());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], root.Path() + "B.wav");

    // Beside the last column, still on the row's line.
    const QRect row = report->visualRect(view->Model()->index(0, 3));
    QTest::mouseDClick(report->viewport(), Qt::LeftButton, {},
                       QPoint(row.right() + 20, row.center().y()));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], root.Path() + "a.wav");

    QTest::mouseDClick(report->viewport(), Qt::LeftButton, {},
                       QPoint(20, report->viewport()->height() - 5));
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(FileListTest, SelectingARowClearsTheRecorderMessageSelection) {
    clears = 0;
    Select({1});
    EXPECT_GT(clears, 0);
}

TEST_F(FileListTest, RenameInPlaceChecksTheNameAndKeepsTheRowInStep) {
    view->SetViewMode(CMidView::kReport);
    ScriptedMessageBoxes boxes;
    Select({0});

    view->OnRename();
    ASSERT_TRUE(FinishEdit(view->ReportView(), "escaped.wav", true));
    EXPECT_EQ(Names(), (QStringList{"a.wav", "B.wav", "c.WAV"}));
    EXPECT_TRUE(boxes.Shown().empty());

    Menu(res::ID_FILE_RENAME);
    ASSERT_TRUE(FinishEdit(view->ReportView(), ""));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "You Must Input FileName.");
    EXPECT_EQ(boxes.Shown()[0].caption, "File ReName");
    ASSERT_NE(Editor(view->ReportView()), nullptr);

    ASSERT_TRUE(FinishEdit(view->ReportView(), "B.wav"));
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[1].text,
              "a.wav - Failed File ReName.\nExisted File Name.\nYou Must Input the Different "
              "FileName.");
    EXPECT_EQ(boxes.Shown()[1].caption, "File ReName Failed ");

    ASSERT_TRUE(FinishEdit(view->ReportView(), "my.song.wav"));
    EXPECT_EQ(Cell(0, 0), "my.song.wav");  // keeps its place until the next fill
    EXPECT_EQ(Cell(0, 2), "wav File");
    EXPECT_TRUE(Exists(root / "my.song.wav"));
    EXPECT_EQ(boxes.Shown().size(), 2u);
}

TEST_F(FileListTest, AnEditEndingWhileTheProgramClosesIsNotApplied) {
    view->SetViewMode(CMidView::kReport);
    view->SetClosingQuery([] { return true; });
    Select({0});
    view->OnRename();
    ASSERT_TRUE(FinishEdit(view->ReportView(), "late.wav"));
    EXPECT_TRUE(Exists(root / "a.wav"));
    EXPECT_EQ(Cell(0, 0), "a.wav");
}

TEST_F(FileListTest, InformationShowsCopiesOfTheSelectedRows) {
    Select({0, 1});
    std::string name, size;
    view->SetDialogRunner([&](CFilePropertiesDlg& dialog) {
        name = dialog.m_strName;
        size = dialog.findChild<QLabel*>("control1009")->text().toStdString();
    });
    Menu(res::ID_FILE_INFORMATION);
    EXPECT_EQ(name, "File 2");
    EXPECT_EQ(size, "981 bytes");
}

TEST_F(FileListTest, ConfirmingTheShownLabelOfANameThatIsNotUtf8RenamesNothing) {
    view->SetViewMode(CMidView::kReport);
    const std::string name = "caf\xe9.wav";
    WriteFile(root / name, "x");
    doc.FillFileList(root.Path());
    ScriptedMessageBoxes boxes;
    const int row = static_cast<int>(Names().indexOf(QString::fromUtf8("caf\uFFFD.wav")));
    ASSERT_GE(row, 0);
    Select({row});

    view->OnRename();
    ASSERT_NE(Editor(view->ReportView()), nullptr);
    ASSERT_TRUE(FinishEdit(view->ReportView(), Editor(view->ReportView())->text()));
    EXPECT_EQ(ReadFile(root / name), "x");
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(NamesIn(root.Path()),
              (std::vector<std::string>{"B.wav", "a.wav", "c.WAV", name, "notes.txt"}));
}
