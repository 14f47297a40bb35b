// The window comes back as the user left it: place, size, panes and the file list's view style;
// and the recorder's labels are there to be read whole, however narrow their pane.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeWidgetItem>

#include "emulator/recorder_emulator.h"
#include "gui/app/manager_app.h"
#include "gui/app/window_placement.h"
#include "gui/frame/main_frame.h"
#include "gui/views/files/mid_view.h"
#include "gui/views/recorder/right_view.h"
#include "gui/widgets/message_box.h"
#include "tests/gui/gui_test_support.h"

using guitest::FrameHarness;

namespace {

void WriteWindowSetting(const char* key, const QString& value) {
    guitest::QtSettings profile;
    profile.setValue(QStringLiteral("Window/") + QLatin1String(key), value);
}

QString ReadWindowSetting(const char* key) {
    guitest::QtSettings profile;
    return profile.value(QStringLiteral("Window/") + QLatin1String(key)).toString();
}

}  // namespace

TEST(WindowPlacementTest, PlaceSizePanesAndViewStyleComeBackAtTheNextStart) {
    QRect geometry;
    QList<int> sizes;
    {
        FrameHarness harness;
        CMainFrame& frame = harness.Frame();
        frame.setGeometry(40, 50, 720, 430);
        ASSERT_TRUE(guitest::WaitFor([&] { return frame.geometry().width() == 720; }));
        frame.m_wndSplitter->setSizes({150, 250, 300});
        sizes = frame.m_wndSplitter->sizes();
        geometry = frame.geometry();
        frame.GetMidView()->SetViewMode(CMidView::kList);
    }
    EXPECT_EQ(ReadWindowSetting("Geometry"), QStringLiteral("%1,%2,%3,%4")
                                                 .arg(geometry.x())
                                                 .arg(geometry.y())
                                                 .arg(geometry.width())
                                                 .arg(geometry.height()));
    EXPECT_EQ(ReadWindowSetting("ViewStyle"), QStringLiteral("List"));
    EXPECT_EQ(ReadWindowSetting("Maximized"), QStringLiteral("false"));

    FrameHarness harness;
    CMainFrame& frame = harness.Frame();
    EXPECT_EQ(frame.geometry(), geometry);
    EXPECT_EQ(frame.m_wndSplitter->sizes(), sizes);
    EXPECT_EQ(frame.GetMidView()->GetViewMode(), CMidView::kList);
    EXPECT_TRUE(harness.Boxes().Shown().empty());
}

TEST(WindowPlacementTest, WrongValuesGoUnsaidAndAPlaceOffEveryScreenComesOntoOne) {
    QRect defaultGeometry;
    QList<int> defaultSizes;
    {
        FrameHarness harness;
        defaultGeometry = harness.Frame().geometry();
        defaultSizes = harness.Frame().m_wndSplitter->sizes();
    }
    WriteWindowSetting("Geometry", QStringLiteral("10,20,wide,400"));
    WriteWindowSetting("Splitter", QStringLiteral("100,200"));
    WriteWindowSetting("ViewStyle", QStringLiteral("Huge"));
    {
        FrameHarness harness;
        EXPECT_TRUE(harness.Boxes().Shown().empty());
        EXPECT_EQ(harness.Frame().size(), defaultGeometry.size());
        EXPECT_EQ(harness.Frame().m_wndSplitter->sizes(), defaultSizes);
        EXPECT_EQ(harness.Frame().GetMidView()->GetViewMode(), CMidView::kLargeIcons);
    }

    // Left on a screen that is gone: brought back, whole, onto the one there is.
    WriteWindowSetting("Geometry", QStringLiteral("5000,4000,600,400"));
    {
        FrameHarness harness;
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_TRUE(screen.contains(harness.Frame().geometry())) << screen.width();
        EXPECT_EQ(harness.Frame().size(), QSize(600, 400));
    }

    // Among two screens side by side: where its top can be grabbed it stays; else it goes onto
    // the first, no larger than that.
    const QList<QRect> screens = {QRect(0, 0, 1000, 800), QRect(1000, 0, 1920, 1080)};
    EXPECT_EQ(PlaceOnScreens(QRect(1500, 100, 800, 600), screens), QRect(1500, 100, 800, 600));
    EXPECT_EQ(PlaceOnScreens(QRect(-700, 700, 800, 600), screens), QRect(-700, 700, 800, 600));
    EXPECT_EQ(PlaceOnScreens(QRect(100, -500, 800, 600), screens), QRect(100, 100, 800, 600));
    EXPECT_EQ(PlaceOnScreens(QRect(3000, 0, 1200, 900), screens), QRect(0, 0, 1000, 800));
}

TEST(WindowPlacementTest, TheRecorderLabelsReadWholeAtFirstAndScrollWhereThePaneIsNarrow) {
    emu::Options options;
    options.counts = {2, 0, 0, 0, 0};
    FrameHarness harness({}, &options);
    harness.Connect();
    CRightView& tree = harness.Tree();
    tree.topLevelItem(0)->setExpanded(true);
    QTreeWidgetItem* message = harness.MessageItem(0, 1);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->toolTip(0), message->text(0));
    EXPECT_EQ(tree.topLevelItem(0)->toolTip(0), tree.topLevelItem(0)->text(0));
    QCoreApplication::processEvents();
    EXPECT_LE(tree.visualItemRect(message).right(), tree.viewport()->width())
        << message->text(0).toStdString();
    EXPECT_EQ(tree.horizontalScrollBar()->maximum(), 0);

    // Narrowed, the label is not cut short: the tree scrolls sideways to it.
    const QList<int> sizes = harness.Frame().m_wndSplitter->sizes();
    harness.Frame().m_wndSplitter->setSizes(
        {sizes[0] + sizes[2] / 2, sizes[1], sizes[2] - sizes[2] / 2});
    ASSERT_TRUE(guitest::WaitFor([&] { return tree.horizontalScrollBar()->maximum() > 0; }));
    EXPECT_GE(tree.columnWidth(0), tree.fontMetrics().horizontalAdvance(message->text(0)));
}
