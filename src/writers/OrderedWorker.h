#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// Runs tasks one after the other, in the order they are posted, on a thread
// of its own, so that the poster can make the next piece of work meanwhile.
// At most `depth` tasks wait at a time: post() waits while that many do.
// Without a thread to be had, post() runs each task itself.
class OrderedWorker {
public:
    explicit OrderedWorker(std::size_t depth);
    ~OrderedWorker();  // runs what is still waiting, then ends the thread
    OrderedWorker(const OrderedWorker&) = delete;
    OrderedWorker& operator=(const OrderedWorker&) = delete;

    void post(std::function<void()> task);

    // Waits until every task posted so far has run.
    void wait();

private:
    void work();

    const std::size_t depth_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> tasks_;
    bool running_ = false;  // the thread is in a task
    bool stopping_ = false;
    std::thread thread_;
};
