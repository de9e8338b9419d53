#include "inspect/RowsReadAhead.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// A batch: enough rows that the two threads do not wait on each other row by
// row (16 rows of 1080p), few enough that a 16K file, whose rows are 128 KiB,
// is compared in the memory of a 1080p one (two batches are held).
constexpr std::size_t kBatchBytes = 512 * 1024;
constexpr int kMostBatchRows = 16;

int batchRowsFor(std::size_t rowSamples)
{
    const std::size_t rowBytes = std::max<std::size_t>(rowSamples * sizeof(uint16_t), 1);
    return static_cast<int>(std::clamp<std::size_t>(kBatchBytes / rowBytes, 1, kMostBatchRows));
}

}  // namespace

RowsReadAhead::RowsReadAhead(FileRows& inner, int rowLimit)
    : inner_(inner),
      rowLimit_(std::max(rowLimit, 0)),
      rowSamples_(inner.shape().rowSamples()),
      batchRows_(batchRowsFor(rowSamples_))
{
    shape_ = inner.shape();
    current_.samples.resize(rowSamples_ * static_cast<std::size_t>(batchRows_));
    pending_.samples.resize(rowSamples_ * static_cast<std::size_t>(batchRows_));
    restart();
}

RowsReadAhead::~RowsReadAhead()
{
    if (reading_.valid()) reading_.wait();
}

void RowsReadAhead::fill(FileRows& inner, Batch& batch, int wanted, std::size_t rowSamples)
{
    batch.rows = 0;
    batch.ended = false;
    batch.failure = nullptr;
    try {
        while (batch.rows < wanted) {
            if (!inner.next(batch.samples.data() + static_cast<std::size_t>(batch.rows) * rowSamples)) {
                batch.ended = true;
                return;
            }
            ++batch.rows;
        }
    } catch (...) {
        batch.failure = std::current_exception();
        batch.ended = true;
    }
}

void RowsReadAhead::startReading()
{
    const int wanted = std::min(batchRows_, rowLimit_ - requested_);
    requested_ += wanted;
    reading_ = std::async(std::launch::async, [this, wanted] {
        fill(inner_, pending_, wanted, rowSamples_);
        // Past the limit the inner rows are not asked again, as a reader that
        // stops at the limit would not ask them.
        if (requested_ >= rowLimit_) pending_.ended = true;
    });
}

void RowsReadAhead::waitForBatch()
{
    reading_.get();
    std::swap(current_, pending_);
    taken_ = 0;
    problems_ = inner_.problems();
    if (!current_.ended) startReading();
}

void RowsReadAhead::restart()
{
    if (reading_.valid()) reading_.wait();
    inner_.restart();
    problems_.clear();
    requested_ = 0;
    current_.rows = 0;
    current_.ended = false;
    current_.failure = nullptr;
    taken_ = 0;
    startReading();
}

bool RowsReadAhead::next(uint16_t* row)
{
    if (taken_ == current_.rows) {
        if (current_.failure) std::rethrow_exception(std::exchange(current_.failure, nullptr));
        if (current_.ended) return false;
        waitForBatch();
        if (taken_ == current_.rows) return next(row);
    }
    std::memcpy(row, current_.samples.data() + static_cast<std::size_t>(taken_) * rowSamples_,
                rowSamples_ * sizeof(uint16_t));
    ++taken_;
    return true;
}
