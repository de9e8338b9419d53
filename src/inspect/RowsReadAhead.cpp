#include "inspect/RowsReadAhead.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Rows per batch: enough to keep the two threads from waiting on each other
// row by row, few enough that a 16K row (128 KiB) keeps the memory small.
constexpr int kBatchRows = 16;

}  // namespace

RowsReadAhead::RowsReadAhead(FileRows& inner, int rowLimit)
    : inner_(inner), rowLimit_(std::max(rowLimit, 0)), rowSamples_(inner.shape().rowSamples())
{
    shape_ = inner.shape();
    current_.samples.resize(rowSamples_ * kBatchRows);
    pending_.samples.resize(rowSamples_ * kBatchRows);
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
    const int wanted = std::min(kBatchRows, rowLimit_ - requested_);
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
