#pragma once

#include <cstdint>
#include <exception>
#include <future>
#include <vector>

#include "inspect/FileRows.h"

// A file's rows read on a second thread, a batch ahead of the reader: while
// one core inflates and unpacks the file, the other renders the card and
// compares. The rows, the point where reading stops, and what the file's rows
// report (problems, an exception) are the same as reading the file directly,
// at the same row; the inner rows are read no further than `rowLimit` rows.
//
// The inner rows must not be touched while this reads them: destroy this
// first (which waits for the batch being read).
class RowsReadAhead : public FileRows {
public:
    RowsReadAhead(FileRows& inner, int rowLimit);
    ~RowsReadAhead() override;
    RowsReadAhead(const RowsReadAhead&) = delete;
    RowsReadAhead& operator=(const RowsReadAhead&) = delete;

    void restart() override;
    bool next(uint16_t* row) override;

private:
    struct Batch {
        std::vector<uint16_t> samples;
        int rows = 0;                // rows read into samples
        bool ended = false;          // the inner rows returned false, threw, or reached the limit
        std::exception_ptr failure;  // thrown by the inner rows after `rows` rows
    };

    void startReading();
    void waitForBatch();
    static void fill(FileRows& inner, Batch& batch, int wanted, std::size_t rowSamples);

    FileRows& inner_;
    int rowLimit_;
    int requested_ = 0;  // rows asked of the inner rows so far
    std::size_t rowSamples_;
    int batchRows_;
    Batch current_;
    Batch pending_;
    std::future<void> reading_;
    int taken_ = 0;  // rows of current_ handed out
};
