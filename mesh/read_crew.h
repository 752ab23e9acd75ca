// Threads that run one list of jobs with the calling thread, each job taken by whichever
// thread asks first.
//
// The threads start before the jobs are known, so that their start (a millisecond or more
// under Wine) overlaps the work that finds the jobs.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class ReadCrew {
public:
    // `helpers` threads beside the caller, or as many as can be had.
    explicit ReadCrew(unsigned helpers);
    // Without run(), the threads end having run nothing.
    ~ReadCrew();
    ReadCrew(const ReadCrew&) = delete;
    ReadCrew& operator=(const ReadCrew&) = delete;

    // Runs job(0) to job(count - 1) on the helpers and the calling thread, once; returns
    // when every job has run. Jobs do not throw.
    void run(std::size_t count, const std::function<void(std::size_t)>& job);

private:
    void take_jobs();

    std::mutex mutex_;
    std::condition_variable started_;
    bool go_ = false;
    const std::function<void(std::size_t)>* job_ = nullptr;
    std::size_t count_ = 0;
    std::atomic<std::size_t> next_{0};
    std::vector<std::jthread> helpers_;
};
