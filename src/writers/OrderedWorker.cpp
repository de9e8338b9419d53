#include "writers/OrderedWorker.h"

#include <system_error>
#include <utility>

OrderedWorker::OrderedWorker(std::size_t depth) : depth_(depth > 0 ? depth : 1)
{
    try {
        thread_ = std::thread([this] { work(); });
    } catch (const std::system_error&) {
        // post() runs the tasks itself.
    }
}

OrderedWorker::~OrderedWorker()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void OrderedWorker::post(std::function<void()> task)
{
    if (!thread_.joinable()) {
        task();
        return;
    }
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return tasks_.size() < depth_; });
        tasks_.push_back(std::move(task));
    }
    changed_.notify_all();
}

void OrderedWorker::wait()
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return tasks_.empty() && !running_; });
}

void OrderedWorker::work()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
            if (tasks_.empty()) {
                return;
            }
            task = std::move(tasks_.front());
            tasks_.pop_front();
            running_ = true;
        }
        changed_.notify_all();
        task();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            running_ = false;
        }
        changed_.notify_all();
    }
}
