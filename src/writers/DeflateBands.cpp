#include "writers/DeflateBands.h"

#include <zlib.h>

#include <new>
#include <system_error>

#include "writers/BandDeflater.h"

namespace {

constexpr uint8_t kDeflate32kWindow = 0x78;  // CMF: deflate with a 32 KiB window
constexpr std::size_t kBandsPerWorker = 2;

}  // namespace

DeflateBands::DeflateBands(unsigned threads) : maxInFlight_((threads > 0 ? threads : 1) * kBandsPerWorker)
{
    // Without threads (none wanted, or none to be had) bands are compressed
    // as they are added.
    try {
        for (unsigned i = 0; i < threads; ++i) {
            workers_.emplace_back([this] { work(); });
        }
    } catch (const std::system_error&) {
        // Work with the threads there are.
    } catch (...) {
        stopWorkers();
        throw;
    }
}

DeflateBands::~DeflateBands()
{
    stopWorkers();
}

void DeflateBands::stopWorkers()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_) {
        worker.join();
    }
    workers_.clear();
}

std::vector<uint8_t> DeflateBands::header() const
{
    const uint8_t flevel = static_cast<uint8_t>(BandDeflater::levelFlags() << 6);
    // FCHECK makes the two bytes, read as a big-endian number, a multiple of 31.
    const unsigned check = 31 - ((kDeflate32kWindow * 256u + flevel) % 31);
    return {kDeflate32kWindow, static_cast<uint8_t>(flevel | (check % 31))};
}

void DeflateBands::compress(Band& band, BandDeflater& deflater)
{
    band.adler = BandDeflater::adler32(1, band.input.get(), band.length);
    band.failed = !deflater.compress(band.input.get(), band.length, band.last, band.output);
}

void DeflateBands::work()
{
    BandDeflater deflater;
    for (;;) {
        std::shared_ptr<Band> band;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
            if (pending_.empty()) {
                return;
            }
            band = pending_.front();
            pending_.pop_front();
        }
        try {
            compress(*band, deflater);
        } catch (const std::bad_alloc&) {
            band->outOfMemory = true;  // reported by collect, on the caller's thread
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            band->done = true;
        }
        changed_.notify_all();
    }
}

void DeflateBands::add(std::unique_ptr<uint8_t[]> input, std::size_t length, bool last, const Take& take)
{
    collect(take, maxInFlight_ - 1);
    auto band = std::make_shared<Band>();
    band->input = std::move(input);
    band->length = length;
    band->last = last;
    if (workers_.empty()) {
        if (inline_ == nullptr) inline_ = std::make_unique<BandDeflater>();
        compress(*band, *inline_);
        band->done = true;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        bands_.push_back(band);
        if (!band->done) {
            pending_.push_back(band);
        }
    }
    changed_.notify_all();
    collect(take, maxInFlight_);
}

std::unique_ptr<uint8_t[]> DeflateBands::buffer(std::size_t capacity)
{
    if (capacity != spareCapacity_) {
        spare_.clear();
        spareCapacity_ = capacity;
    }
    if (spare_.empty()) {
        return std::unique_ptr<uint8_t[]>(new uint8_t[capacity]);  // every band fills what it uses
    }
    std::unique_ptr<uint8_t[]> reused = std::move(spare_.back());
    spare_.pop_back();
    return reused;
}

void DeflateBands::finish(const Take& take)
{
    collect(take, 0);
}

void DeflateBands::collect(const Take& take, std::size_t keep)
{
    for (;;) {
        std::shared_ptr<Band> band;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (bands_.size() > keep) {
                changed_.wait(lock, [this] { return bands_.front()->done; });
            }
            if (bands_.empty() || !bands_.front()->done) {
                return;
            }
            band = bands_.front();
            bands_.pop_front();
        }
        if (band->failed) {
            failed_ = true;
        }
        if (band->outOfMemory) {
            throw std::bad_alloc();
        }
        if (band->input != nullptr && band->length <= spareCapacity_) {
            spare_.push_back(std::move(band->input));
        }
        adler_ = static_cast<uint32_t>(adler32_combine(adler_, band->adler, static_cast<z_off_t>(band->length)));
        take(band->output);
    }
}

std::vector<uint8_t> DeflateBands::trailer() const
{
    return {static_cast<uint8_t>(adler_ >> 24), static_cast<uint8_t>(adler_ >> 16), static_cast<uint8_t>(adler_ >> 8),
            static_cast<uint8_t>(adler_)};
}

bool DeflateBands::ok() const
{
    return !failed_;
}
