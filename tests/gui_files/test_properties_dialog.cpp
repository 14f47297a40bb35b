// The properties dialog: its texts, colours, disabled boxes and dialog-unit layout.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "core/res/resource_ids.h"
#include "gui/views/files/file_properties_dlg.h"

namespace {

QLabel* Value(CFilePropertiesDlg& dialog, int id) {
    return dialog.findChild<QLabel*>(QStringLiteral("control%1").arg(id));
}
QCheckBox* Box(CFilePropertiesDlg& dialog, int id) {
    return dialog.findChild<QCheckBox*>(QStringLiteral("control%1").arg(id));
}
FileEntry Entry(const std::string& name, std::uint64_t size) {
    FileEntry entry;
    entry.name = name;
    entry.path = "/voice/" + name;
    entry.kind = "wav File";
    entry.size = size;
    return entry;
}

}  // namespace

TEST(PropertiesDialog, OneFileFillsEveryField) {
    FileEntry entry = Entry("memo.wav", 1024);
    entry.created = 994342140;
    entry.modified = 994342140;
    entry.accessed = 0;
    entry.readOnly = 1;
    CFilePropertiesDlg dialog;
    dialog.SetFiles({entry});
    EXPECT_EQ(dialog.windowTitle(), "Register Information");
    EXPECT_EQ(Value(dialog, res::IDC_PROP_NAME)->text(), "memo.wav");
    EXPECT_EQ(Value(dialog, res::IDC_PROP_DOSNAME)->text(), "memo.wav");
    EXPECT_EQ(Value(dialog, res::IDC_PROP_KIND)->text(), "wav File");
    EXPECT_EQ(Value(dialog, res::IDC_PROP_LOCATION)->text(), "/voice/");
    EXPECT_EQ(Value(dialog, res::IDC_PROP_SIZE)->text(), "1024 Byte");
    EXPECT_EQ(Value(dialog, res::IDC_PROP_CREATED)->text(), "2001-7-5 14:9:0");
    EXPECT_EQ(Value(dialog, res::IDC_PROP_MODIFIED)->text(), "2001-7-5 14:9:0");
    EXPECT_EQ(Value(dialog, res::IDC_PROP_ACCESSED)->text(), "(Unknown)");
    EXPECT_TRUE(Box(dialog, res::IDC_PROP_READONLY)->isChecked());
    EXPECT_FALSE(Box(dialog, res::IDC_PROP_HIDDEN)->isChecked());
}

TEST(PropertiesDialog, SeveralFilesShowCountAndTotalOnly) {
    FileEntry a = Entry("a.wav", 10), b = Entry("b.wav", 20), c = Entry("c.wav", 30);
    c.hidden = 1;
    CFilePropertiesDlg dialog;
    dialog.SetFiles({a, b, c});
    EXPECT_EQ(Value(dialog, res::IDC_PROP_NAME)->text(), "File 3");
    EXPECT_EQ(Value(dialog, res::IDC_PROP_KIND)->text(), "Plural Kind");
    EXPECT_EQ(Value(dialog, res::IDC_PROP_SIZE)->text(), "60 bytes");
    EXPECT_EQ(Value(dialog, res::IDC_PROP_DOSNAME)->text(), "");
    EXPECT_EQ(Value(dialog, res::IDC_PROP_CREATED)->text(), "");
    EXPECT_TRUE(Box(dialog, res::IDC_PROP_HIDDEN)->isChecked());
}

TEST(PropertiesDialog, ItOnlyShows) {
    CFilePropertiesDlg dialog;
    dialog.SetFiles({});
    EXPECT_EQ(Value(dialog, res::IDC_PROP_NAME)->text(), "");
    const QStringList boxes{"ReadOnly", "Hide", "Record", "System File"};
    int i = 0;
    for (int id : {res::IDC_PROP_READONLY, res::IDC_PROP_HIDDEN, res::IDC_PROP_ARCHIVE,
                   res::IDC_PROP_SYSTEM}) {
        QCheckBox* box = Box(dialog, id);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), boxes[i++]);
        EXPECT_FALSE(box->isEnabled());
        EXPECT_FALSE(box->isChecked());
    }
    for (QLabel* label : dialog.findChildren<QLabel*>())
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 255))
            << label->text().toStdString();
    auto* ok = dialog.findChild<QPushButton*>("control1");
    auto* cancel = dialog.findChild<QPushButton*>("control2");
    ASSERT_TRUE(ok && cancel);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(cancel->text(), "Cancel");
}

TEST(PropertiesDialog, ControlsStandWhereTheirDialogUnitsSay) {
    CFilePropertiesDlg dialog;
    const QPoint size = CFilePropertiesDlg::DialogUnitsToPixels(219, 219);
    EXPECT_EQ(dialog.size(), QSize(size.x(), size.y()));
    EXPECT_GT(size.x(), 219);  // a dialog unit is bigger than a pixel at this font
    EXPECT_EQ(Value(dialog, res::IDC_PROP_KIND)->pos(),
              CFilePropertiesDlg::DialogUnitsToPixels(43, 32));
    EXPECT_EQ(Value(dialog, res::IDC_PROP_ACCESSED)->pos(),
              CFilePropertiesDlg::DialogUnitsToPixels(67, 129));
    EXPECT_EQ(Box(dialog, res::IDC_PROP_SYSTEM)->pos(),
              CFilePropertiesDlg::DialogUnitsToPixels(126, 171));
    EXPECT_EQ(dialog.findChild<QPushButton*>("control2")->pos(),
              CFilePropertiesDlg::DialogUnitsToPixels(82, 198));
    EXPECT_EQ(Value(dialog, res::IDC_PROP_KIND)->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(dialog.findChildren<QFrame*>("rule").size(), 2);
}
