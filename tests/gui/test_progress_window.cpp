// The progress window: caption percentages, layout, position kept in the profile, Escape and
// Cancel, and the download's thread-safe driver.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <atomic>
#include <thread>

#include "gui/frame/progress_window.h"
#include "gui/frame/threaded_progress_display.h"
#include "tests/gui/gui_test_support.h"

namespace {

void SavePosition(int x, int y) {
    guitest::QtSettings profile;
    profile.setValue(QStringLiteral("Settings/X"), x);
    profile.setValue(QStringLiteral("Settings/Y"), y);
    profile.sync();
}

QPoint SavedPosition() {
    guitest::QtSettings profile;
    return {profile.value(QStringLiteral("Settings/X"), -99).toInt(),
            profile.value(QStringLiteral("Settings/Y"), -99).toInt()};
}

std::vector<QString> Titles(ProgressWindow& window, int steps) {
    std::vector<QString> titles;
    for (int i = 0; i < steps; ++i) {
        window.StepIt();
        titles.push_back(window.windowTitle());
    }
    return titles;
}

}  // namespace

TEST(ProgressWindowTest, CaptionShowsPercentageOfTheRange) {
    ProgressWindow window(nullptr, QStringLiteral("Convert"), 1);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Convert"));
    window.SetRange(0, 20, 1);
    const auto titles = Titles(window, 20);
    EXPECT_EQ(titles.front(), QStringLiteral("Convert [5%]"));
    EXPECT_EQ(titles[6], QStringLiteral("Convert [35%]"));
    EXPECT_EQ(titles.back(), QStringLiteral("Convert [100%]"));
    EXPECT_EQ(window.m_nPos, 20);
    EXPECT_EQ(window.m_wndProgress->value(), 20);

    // Percentages of a range that does not divide evenly are truncated.
    ProgressWindow three(nullptr, QStringLiteral("Receive"), 1);
    three.SetRange(0, 3, 1);
    const auto thirds = Titles(three, 3);
    EXPECT_EQ(thirds[0], QStringLiteral("Receive [33%]"));
    EXPECT_EQ(thirds[1], QStringLiteral("Receive [66%]"));
    EXPECT_EQ(thirds[2], QStringLiteral("Receive [100%]"));
}

TEST(ProgressWindowTest, EmptyRangeKeepsThePlainCaptionAndAnEmptyBar) {
    ProgressWindow window(nullptr, QStringLiteral("Connect"), 1);
    window.SetRange(0, 0, 1);
    window.StepIt();
    window.StepIt();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Connect"));
    EXPECT_EQ(window.m_nPrevPercent, 0);
    // Not a busy indicator: a bar with a range.
    EXPECT_LT(window.m_wndProgress->minimum(), window.m_wndProgress->maximum());
}

TEST(ProgressWindowTest, LayoutFollowsTheTextWidthAndTheMeasuredButton) {
    ProgressWindow window(nullptr, QStringLiteral("Connect"), 1);
    window.SetText("%s", "Sonoret Manager Connecting...");
    EXPECT_EQ(window.m_wndText->text(), QStringLiteral("Sonoret Manager Connecting..."));
    EXPECT_EQ(window.m_wndCancel->text(), QStringLiteral(" Cancel "));
    EXPECT_EQ(window.m_wndCancel->property("controlId").toInt(), 10);
    EXPECT_EQ(window.m_wndText->property("controlId").toInt(), 11);
    EXPECT_EQ(window.m_wndProgress->property("controlId").toInt(), 12);

    const QFontMetrics metrics(window.m_font);
    const QRect text = window.m_wndText->geometry();
    const QRect button = window.m_wndCancel->geometry();
    const QRect bar = window.m_wndProgress->geometry();
    EXPECT_EQ(text.topLeft(), QPoint(10, 10));
    EXPECT_EQ(text.width(), 390);
    EXPECT_GE(text.height(), 4 * metrics.height());
    EXPECT_EQ(window.width(), 410);
    EXPECT_EQ(button.width(), metrics.horizontalAdvance(QStringLiteral(" Cancel   ")) + 8);
    EXPECT_EQ(button.height(), metrics.height() + 6);
    EXPECT_EQ(button.right(), text.right());
    EXPECT_EQ(button.top(), text.bottom() + 1 + 10);
    EXPECT_EQ(bar.left(), 10);
    EXPECT_EQ(bar.right(), button.left() - 10 - 1);
    EXPECT_EQ(bar.top(), button.top() + 2);
    EXPECT_EQ(bar.bottom(), button.bottom() - 2);
    EXPECT_EQ(window.height(), 10 + text.height() + 10 + button.height() + 10);
}

TEST(ProgressWindowTest, PositionIsRestoredOnScreenAndCentredOtherwise) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    SavePosition(37, 41);
    {
        ProgressWindow window(nullptr, QStringLiteral("Receive"), 1);
        EXPECT_EQ(window.pos(), QPoint(37, 41));
        window.move(52, 63);
    }
    // Saved when the window goes.
    EXPECT_EQ(SavedPosition(), QPoint(52, 63));

    for (const QPoint saved : {QPoint(-1, -1), QPoint(screen.width(), 10), QPoint(10, 100000)}) {
        SavePosition(saved.x(), saved.y());
        ProgressWindow window(nullptr, QStringLiteral("Receive"), 1);
        const QPoint centre = screen.center() - QPoint(window.width() / 2, window.height() / 2);
        EXPECT_EQ(window.pos(), centre) << saved.x() << "," << saved.y();
    }
}

TEST(ProgressWindowTest, EscapeInTheWindowWhilePumpingCancelsHidesAndStopsThePump) {
    ProgressWindow window(nullptr, QStringLiteral("Connect"), 1);
    int cancels = 0;
    window.SetCancelCallback([&cancels] { ++cancels; });
    window.SetRange(0, 10, 1);
    window.StepIt();
    ASSERT_TRUE(window.isVisible());
    // It shows without taking the focus, yet a click gives it the keys.
    EXPECT_TRUE(window.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_FALSE(window.windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(window.focusPolicy() & Qt::ClickFocus);

    // Escape typed elsewhere in the program (closing a menu, ending a rename) is not a cancel.
    QWidget elsewhere;
    elsewhere.show();
    QCoreApplication::postEvent(&elsewhere,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    window.PeekAndPump(1);
    EXPECT_EQ(window.m_bCancelPressed, 0);
    EXPECT_TRUE(window.isVisible());

    // In the window, on its button as on the window itself, it is.
    QCoreApplication::postEvent(window.m_wndCancel,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    window.PeekAndPump(1);
    EXPECT_EQ(window.m_bCancelPressed, 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(cancels, 1);

    // Once cancelled the pump returns at once: a posted event stays queued.
    bool ran = false;
    QMetaObject::invokeMethod(
        &elsewhere, [&ran] { ran = true; }, Qt::QueuedConnection);
    window.PeekAndPump(1);
    EXPECT_FALSE(ran);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ran);

    // Cancel pressed again changes nothing; a further step shows the window again (the
    // conversion goes on stepping).
    window.OnCancel();
    EXPECT_EQ(cancels, 1);
    window.StepIt();
    EXPECT_TRUE(window.isVisible());
}

TEST(ProgressWindowTest, EscapeIsIgnoredWhenThePumpDoesNotAskForIt) {
    ProgressWindow window(nullptr, QStringLiteral("Convert"), 1);
    QCoreApplication::postEvent(&window,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    window.PeekAndPump(0);
    EXPECT_EQ(window.m_bCancelPressed, 0);
    // Nor between pumps, when the owner is not looking.
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(window.m_bCancelPressed, 0);

    QTest::mouseClick(window.m_wndCancel, Qt::LeftButton);
    EXPECT_EQ(window.m_bCancelPressed, 1);
}

TEST(ProgressWindowTest, DownloadThreadDrivesItsWindowThroughTheGuiThread) {
    QWidget owner;
    owner.show();
    ProgressWindow* window = nullptr;
    std::atomic<bool> hookRan{false};
    std::atomic<bool> sawCancel{false};
    std::atomic<int> lastStep{0};
    std::atomic<bool> release{false};
    std::atomic<bool> pumped{false};

    std::thread download([&] {
        ThreadedProgressDisplay display(&owner, QStringLiteral("Receive"),
                                        [&window](ProgressWindow* w) { window = w; });
        display.SetCancelHook([&hookRan] { hookRan = true; });
        display.SetRange(0, 4, 1);
        display.SetText("Receive a Message From Voice Recorder");
        display.StepIt();
        lastStep = display.StepIt();
        display.PeekAndPump(true);
        pumped = true;
        while (!display.CancelPressed()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        sawCancel = true;
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        display.Hide();
    });

    ASSERT_TRUE(guitest::WaitFor(
        [&] { return window && window->windowTitle() == QStringLiteral("Receive [50%]"); }));
    EXPECT_EQ(lastStep, 2);
    EXPECT_EQ(window->m_wndText->text(), QStringLiteral("Receive a Message From Voice Recorder"));
    EXPECT_EQ(window->parentWidget(), &owner);

    // Escape in the owner window is the owner's; Escape in the progress window reaches the
    // download thread as its cancel.
    QPointer<ProgressWindow> alive(window);
    ASSERT_TRUE(guitest::WaitFor([&] { return pumped.load(); }));
    QCoreApplication::postEvent(&owner,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(sawCancel.load());
    QCoreApplication::postEvent(window,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    ASSERT_TRUE(guitest::WaitFor([&] { return sawCancel.load(); }));
    EXPECT_TRUE(hookRan);
    release = true;
    download.join();
    // The window goes once the download is done with it.
    ASSERT_TRUE(guitest::WaitFor([&] { return alive.isNull(); }));
}
