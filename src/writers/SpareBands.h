#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

// Bands of bytes a writer's worker thread is done with, kept to be filled
// again by the rows' thread, so that neither allocates once both are going.
// Taken and given back from either thread.
class SpareBands {
public:
    // Room for `bands` spares, reserved now rather than on the worker's thread.
    explicit SpareBands(std::size_t bands) { spare_.reserve(bands); }

    // A spare emptied, or a new band, with room for `bytes`.
    std::vector<uint8_t> take(std::size_t bytes)
    {
        std::vector<uint8_t> band;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!spare_.empty()) {
                band = std::move(spare_.back());
                spare_.pop_back();
            }
        }
        band.reserve(bytes);
        return band;
    }

    void giveBack(std::vector<uint8_t>&& band)
    {
        band.clear();
        std::lock_guard<std::mutex> lock(mutex_);
        spare_.push_back(std::move(band));
    }

private:
    std::mutex mutex_;
    std::vector<std::vector<uint8_t>> spare_;
};
