// Tasks handed to the GUI thread from workers: in order, on the GUI thread, never for an
// object that has gone, and in order still when a task runs an event loop of its own.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QThread>
#include <memory>
#include <thread>
#include <vector>

#include "gui/widgets/gui_thread_queue.h"
#include "tests/gui/gui_test_support.h"

TEST(GuiThreadQueueTest, TasksRunOnTheGuiThreadInOrderAndOnlyForLivingObjects) {
    QObject owner;
    auto gone = std::make_unique<QObject>();
    std::vector<int> ran;
    bool allOnGuiThread = true;
    QThread* const gui = QThread::currentThread();

    std::thread worker([&] {
        for (int i = 0; i < 50; ++i) {
            GuiThreadQueue::Post(&owner, [&, i] {
                allOnGuiThread &= QThread::currentThread() == gui;
                ran.push_back(i);
                // The first task runs an event loop of its own (a message box would): the
                // tasks after it still come in their order.
                if (i == 0) {
                    QEventLoop loop;
                    GuiThreadQueue::Post(&owner, [&loop] { loop.quit(); });
                    loop.exec();
                }
            });
            GuiThreadQueue::Post(gone.get(), [&ran] { ran.push_back(-1); });
        }
    });
    worker.join();
    gone.reset();
    ASSERT_TRUE(guitest::WaitFor([&] { return ran.size() >= 50; }));
    QCoreApplication::processEvents();

    std::vector<int> expected;
    for (int i = 0; i < 50; ++i) expected.push_back(i);
    EXPECT_EQ(ran, expected);
    EXPECT_TRUE(allOnGuiThread);
}
