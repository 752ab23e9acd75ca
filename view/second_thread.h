// A second thread kept from task to task: under Wine a thread takes a millisecond or two to
// start, a tenth of a picture's time.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class SecondThread {
public:
    SecondThread() = default;
    ~SecondThread();
    SecondThread(const SecondThread&) = delete;
    SecondThread& operator=(const SecondThread&) = delete;

    // Runs `task` on the second thread while `here` runs on this one, and returns once both are
    // done. Where the thread is busy with another caller's task or cannot be started, runs
    // `here` alone: `task` must then not be needed for `here` to finish.
    void run_beside(const std::function<void()>& task, const std::function<void()>& here);

private:
    void serve();

    std::mutex callers_; // one caller at a time
    std::mutex mutex_;
    std::condition_variable changed_;
    const std::function<void()>* task_ = nullptr; // set while a task waits or runs
    bool stopping_ = false;
    std::thread thread_;
};

// The view's second thread, which the painter and the index of a mesh share.
SecondThread& view_second_thread();
