#include "second_thread.h"

#include <system_error>

SecondThread::~SecondThread() {
    if (thread_.joinable()) {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
}

void SecondThread::run_beside(const std::function<void()>& task,
                              const std::function<void()>& here) {
    const std::unique_lock caller(callers_, std::try_to_lock);
    if (!caller.owns_lock()) {
        here();
        return;
    }
    if (!thread_.joinable()) {
        try {
            thread_ = std::thread([this] { serve(); });
        } catch (const std::system_error&) {
            here();
            return;
        }
    }
    {
        const std::lock_guard lock(mutex_);
        task_ = &task;
    }
    changed_.notify_all();
    // The task may use what `here` leaves behind on the way out, thrown or not: it ends first.
    struct AwaitTask {
        SecondThread& second;
        ~AwaitTask() {
            std::unique_lock lock(second.mutex_);
            second.changed_.wait(lock, [this] { return second.task_ == nullptr; });
        }
    } await_task{*this};
    here();
}

void SecondThread::serve() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return task_ != nullptr || stopping_; });
        if (stopping_) {
            return;
        }
        lock.unlock();
        (*task_)();
        lock.lock();
        task_ = nullptr;
        changed_.notify_all();
    }
}

SecondThread& view_second_thread() {
    static SecondThread second;
    return second;
}
