#include "read_crew.h"

#include <system_error>

ReadCrew::ReadCrew(unsigned helpers) {
    helpers_.reserve(helpers);
    for (unsigned i = 0; i < helpers; ++i) {
        try {
            helpers_.emplace_back([this] {
                {
                    std::unique_lock lock(mutex_);
                    started_.wait(lock, [this] { return go_; });
                }
                take_jobs();
            });
        } catch (const std::system_error&) {
            break; // the caller and the helpers already running do the work
        }
    }
}

ReadCrew::~ReadCrew() {
    run(0, {});
}

void ReadCrew::run(std::size_t count, const std::function<void(std::size_t)>& job) {
    {
        std::lock_guard lock(mutex_);
        if (go_) {
            return;
        }
        job_ = &job;
        count_ = count;
        go_ = true;
    }
    started_.notify_all();
    take_jobs();
    for (std::jthread& helper : helpers_) {
        helper.join();
    }
    helpers_.clear();
}

void ReadCrew::take_jobs() {
    for (std::size_t i = next_.fetch_add(1); i < count_; i = next_.fetch_add(1)) {
        (*job_)(i);
    }
}
