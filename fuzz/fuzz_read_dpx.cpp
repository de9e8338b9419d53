// A DPX, fuzzed: pm5544-inspect's reader opens the input as a file and
// reads its rows twice (FuzzReading).
#include <cstddef>
#include <cstdint>

#include "FuzzReading.h"
#include "inspect/DpxFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    return FuzzReading::readAll(data, size,
                                [](const InputBytes& input, InspectedFile& file) { return openDpxFile(input, file); });
}
