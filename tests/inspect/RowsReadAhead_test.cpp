// Rows read a batch ahead on a second thread must be the rows, the end, the
// problems and the failure that reading the file directly gives, row for row.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "inspect/RowsReadAhead.h"

namespace {

// Row y holds y in every sample; it ends after `rows` rows with a problem, or
// throws when asked for row `throwsAt`. Counts what it was asked.
class CountingRows : public FileRows {
public:
    CountingRows(int rows, int throwsAt) : rows_(rows), throwsAt_(throwsAt)
    {
        shape_.width = 3;
        shape_.presentWidth = 3;
        shape_.components = 2;
    }
    void restart() override
    {
        y_ = 0;
        problems_.clear();
    }
    bool next(uint16_t* row) override
    {
        ++asked;
        if (y_ == throwsAt_) throw std::runtime_error("row " + std::to_string(y_) + " cannot be read");
        if (y_ == rows_) {
            problems_.push_back("ends after " + std::to_string(rows_) + " rows");
            return false;
        }
        for (std::size_t i = 0; i < shape_.rowSamples(); ++i) row[i] = static_cast<uint16_t>(y_);
        ++y_;
        return true;
    }
    int asked = 0;

private:
    int rows_, throwsAt_, y_ = 0;
};

struct Read {
    std::vector<int> rows;  // the first sample of each row handed out
    std::string failure;
    std::vector<std::string> problems;
    int asked = 0;
};

Read readAll(FileRows& rows, int limit)
{
    Read read;
    std::vector<uint16_t> row(rows.shape().rowSamples());
    try {
        for (int y = 0; y < limit && rows.next(row.data()); ++y) {
            for (uint16_t sample : row) EXPECT_EQ(sample, row[0]);
            read.rows.push_back(row[0]);
        }
    } catch (const std::runtime_error& e) {
        read.failure = e.what();
    }
    read.problems = rows.problems();
    return read;
}

}  // namespace

TEST(RowsReadAhead, ReadsWhatTheFileGivesAndStopsWhereItStops)
{
    // Ends before, at and after a batch's end and the limit; throws inside a batch.
    const struct {
        int rows, throwsAt, limit;
    } cases[] = {{0, -1, 10},  {5, -1, 10},  {16, -1, 16}, {40, -1, 32}, {40, -1, 33},
                 {33, -1, 40}, {40, 21, 40}, {40, 0, 40},  {40, 21, 20}};
    for (const auto& c : cases) {
        const std::string what = std::to_string(c.rows) + " rows, throws at " + std::to_string(c.throwsAt) +
                                 ", limit " + std::to_string(c.limit);
        CountingRows direct(c.rows, c.throwsAt);
        const Read expected = readAll(direct, c.limit);
        CountingRows inner(c.rows, c.throwsAt);
        for (int pass = 0; pass < 2; ++pass) {  // a second pass reads the same
            inner.asked = 0;
            {
                RowsReadAhead rows(inner, c.limit);
                if (pass == 1) rows.restart();
                const Read ahead = readAll(rows, c.limit);
                EXPECT_EQ(ahead.rows, expected.rows) << what;
                EXPECT_EQ(ahead.failure, expected.failure) << what;
                EXPECT_EQ(ahead.problems, expected.problems) << what;
            }
            // The file is asked for no row a direct reader would not ask for.
            if (pass == 0) {
                EXPECT_EQ(inner.asked, direct.asked) << what;
            }
        }
    }
}
