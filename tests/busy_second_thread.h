// A second thread kept busy by another caller for as long as this lives, so that a caller meets
// it busy and does its work alone.
#pragma once

#include "second_thread.h"

#include <atomic>
#include <thread>

class BusySecondThread {
public:
    explicit BusySecondThread(SecondThread& second)
        : other_([this, &second] {
              second.run_beside([] {},
                                [this] {
                                    busy_ = true;
                                    while (!release_) {
                                        std::this_thread::yield();
                                    }
                                });
          }) {
        while (!busy_) {
            std::this_thread::yield();
        }
    }
    ~BusySecondThread() {
        release_ = true;
        other_.join();
    }
    BusySecondThread(const BusySecondThread&) = delete;
    BusySecondThread& operator=(const BusySecondThread&) = delete;

private:
    std::atomic<bool> busy_{false};
    std::atomic<bool> release_{false};
    std::thread other_;
};
