#include "busy_second_thread.h"
#include "second_thread.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

namespace {

TEST(SecondThread, RunsATaskBesideTheCallerOnOneThreadFromCallToCall) {
    SecondThread second;
    std::thread::id first_task_thread;
    for (int call = 0; call < 20; ++call) {
        int task_done = 0;
        int here_done = 0;
        std::thread::id task_thread;
        second.run_beside(
            [&] {
                task_thread = std::this_thread::get_id();
                std::this_thread::sleep_for(std::chrono::microseconds(call * 50));
                task_done = call + 1;
            },
            [&] { here_done = call + 1; });
        ASSERT_EQ(task_done, call + 1) << "the task is over when the call returns";
        ASSERT_EQ(here_done, call + 1);
        EXPECT_NE(task_thread, std::this_thread::get_id());
        if (call == 0) {
            first_task_thread = task_thread;
        }
        EXPECT_EQ(task_thread, first_task_thread) << "the thread is kept";
    }
}

TEST(SecondThread, ABusyThreadLeavesTheOtherCallerToDoItAlone) {
    SecondThread second;
    const BusySecondThread busy(second);
    bool task_ran = false;
    bool here_ran = false;
    second.run_beside([&] { task_ran = true; }, [&] { here_ran = true; });
    EXPECT_TRUE(here_ran);
    EXPECT_FALSE(task_ran);
}

TEST(SecondThread, AFailingCallerWaitsForTheTaskFirst) {
    SecondThread second;
    std::atomic<bool> task_done{false};
    EXPECT_THROW(second.run_beside(
                     [&] {
                         std::this_thread::sleep_for(std::chrono::milliseconds(20));
                         task_done = true;
                     },
                     [] { throw std::runtime_error("here failed"); }),
                 std::runtime_error);
    EXPECT_TRUE(task_done);
}

} // namespace
