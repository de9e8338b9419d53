#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class BandDeflater;

// One zlib stream compressed in bands on several threads, as parallel gzip
// tools do: each band is deflated on its own, ending on a byte boundary with
// a sync flush (the last one with the final block), so the bands join into one
// deflate stream; the Adler-32 checksums of the bands are combined in order.
// Bands are handed out in order as they are compressed; at most a few are in
// flight, so memory stays that of a few bands whatever the image size.
class DeflateBands {
public:
    // `threads` workers compress the bands; with none, add() compresses them.
    explicit DeflateBands(unsigned threads);
    ~DeflateBands();
    DeflateBands(const DeflateBands&) = delete;
    DeflateBands& operator=(const DeflateBands&) = delete;

    // The two bytes that open the zlib stream.
    std::vector<uint8_t> header() const;

    // Receives the compressed bands, in order.
    using Take = std::function<void(const std::vector<uint8_t>&)>;

    // Queues the next band of uncompressed bytes; `last` ends the stream.
    // Hands the bands compressed so far to `take`, waiting for the oldest
    // while too many are in flight.
    void add(std::unique_ptr<uint8_t[]> band, std::size_t length, bool last, const Take& take);

    // A buffer for a band of `capacity` bytes: one whose band has been
    // compressed when there is one, so that bands reuse memory.
    std::unique_ptr<uint8_t[]> buffer(std::size_t capacity);

    // Waits for every queued band and hands them to `take`.
    void finish(const Take& take);

    // The four bytes that close the stream: the Adler-32 of every band added.
    std::vector<uint8_t> trailer() const;

    // False once the compressor has refused a band.
    bool ok() const;

private:
    struct Band {
        std::unique_ptr<uint8_t[]> input;
        std::size_t length = 0;  // of the input
        std::vector<uint8_t> output;
        uint32_t adler = 1;
        bool last = false;
        bool done = false;
        bool failed = false;
        bool outOfMemory = false;
    };

    // Hands on finished bands from the oldest; waits for the oldest while
    // more than `keep` are queued.
    void collect(const Take& take, std::size_t keep);
    void stopWorkers();
    void work();
    static void compress(Band& band, BandDeflater& deflater);

    const std::size_t maxInFlight_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<Band>> bands_;    // in order, oldest first
    std::deque<std::shared_ptr<Band>> pending_;  // not yet taken by a worker
    std::vector<std::thread> workers_;
    std::unique_ptr<BandDeflater> inline_;           // for add() when there are no workers
    std::vector<std::unique_ptr<uint8_t[]>> spare_;  // buffers of compressed bands
    std::size_t spareCapacity_ = 0;
    bool stopping_ = false;
    bool failed_ = false;
    uint32_t adler_ = 1;
};
