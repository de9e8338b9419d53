#include "FuzzReading.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "FuzzScratch.h"
#include "inspect/InputBytes.h"
#include "inspect/UnreadableFile.h"

namespace FuzzReading {

namespace {

// A digest of every row of one pass, and how many there were.
struct Pass {
    int rows = 0;
    uint64_t digest = 0;
    std::vector<std::string> problems;
};

Pass readPass(FileRows& rows)
{
    const FrameShape& shape = rows.shape();
    // A guard sample past the row catches a reader that writes beyond its width.
    constexpr uint16_t kGuard = 0xA5C3;
    std::vector<uint16_t> row(shape.rowSamples() + 1);
    Pass pass;
    rows.restart();
    for (;;) {
        row.back() = kGuard;
        if (!rows.next(row.data())) break;
        if (row.back() != kGuard || ++pass.rows > shape.height) std::abort();
        for (std::size_t i = 0; i + 1 < row.size(); ++i) pass.digest = pass.digest * 1099511628211ULL + row[i];
    }
    pass.problems = rows.problems();
    return pass;
}

}  // namespace

std::string writeInput(const uint8_t* data, std::size_t size)
{
    const std::string path = FuzzScratch::folder() + "/input";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) std::abort();
    return path;
}

int readAll(const uint8_t* data, std::size_t size, const Open& open)
{
    const InputBytes input(writeInput(data, size));
    InspectedFile file;
    std::unique_ptr<FileRows> rows;
    try {
        rows = open(input, file);
    } catch (const UnreadableFile&) {
        return 0;
    }
    if (rows == nullptr) return 0;
    const FrameShape& shape = rows->shape();
    if (shape.width <= 0 || shape.height <= 0 || shape.presentWidth > shape.width || shape.components < 1 ||
        shape.components > FrameShape::kMaxComponents) {
        std::abort();
    }
    if (static_cast<long long>(shape.width) * shape.height > kMostPixels) return 0;
    const Pass first = readPass(*rows);
    const Pass second = readPass(*rows);
    if (first.rows != second.rows || first.digest != second.digest || first.problems != second.problems) std::abort();
    return 0;
}

}  // namespace FuzzReading
