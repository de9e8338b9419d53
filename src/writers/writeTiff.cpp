#include "writers/writeTiff.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <string>

namespace TiffWriter {

namespace {

constexpr int kSamplesPerPixel = 3;
constexpr int kBitsPerSample = 16;
constexpr int kBytesPerSample = kBitsPerSample / 8;
constexpr uint16_t kFullChromaResolution = 1;  // YCbCr subsampling factor: none

char lineRepeatName[] = "LineRepeat";

const TIFFFieldInfo xtiffFieldInfo[] = {
    {kLineRepeatTag, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_ASCII, FIELD_CUSTOM, false, false,
     lineRepeatName},
};

// The extender that was installed before ours; ours hands every file on to it.
TIFFExtendProc parent_extender = nullptr;

// Installs the tag extender the first time a TIFF is written. libtiff keeps
// one extender per process, so installing ours twice would make it its own
// parent.
void augment_libtiff_with_custom_tags()
{
    static bool first_time = true;
    if (!first_time) {
        return;
    }
    first_time = false;
    parent_extender = TIFFSetTagExtender(registerCustomTIFFTags);
}

// The line-repeat list as compact JSON: [[row,line],[row,line],...].
std::string lineRepeatJson(const std::vector<std::pair<int, int>>& repeats)
{
    const nlohmann::json list = repeats;
    return list.dump();
}

}  // namespace

void registerCustomTIFFTags(TIFF* tif)
{
    TIFFMergeFieldInfo(tif, xtiffFieldInfo, sizeof(xtiffFieldInfo) / sizeof(xtiffFieldInfo[0]));
    if (parent_extender != nullptr) {
        parent_extender(tif);
    }
}

int writeTiff(unsigned char* samples, bool isYCbCr, int width, int height, int /*bitDepth*/,
              const std::vector<std::pair<int, int>>& repeats, const char* path)
{
    augment_libtiff_with_custom_tags();

    TIFF* tif = TIFFOpen(path, "w");
    if (tif == nullptr) {
        std::fputs("Could not create tiff file\n", stderr);
        return -1;
    }

    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height));
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    if (isYCbCr) {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
        TIFFSetField(tif, TIFFTAG_YCBCRSUBSAMPLING, kFullChromaResolution, kFullChromaResolution);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    } else {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    }
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, kBitsPerSample);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, kSamplesPerPixel);

    if (!repeats.empty()) {
        const std::string json = lineRepeatJson(repeats);
        TIFFSetField(tif, kLineRepeatTag, json.c_str());
    }

    const tmsize_t stripBytes = static_cast<tmsize_t>(width) * height * kSamplesPerPixel * kBytesPerSample;
    if (TIFFWriteEncodedStrip(tif, 0, samples, stripBytes) == static_cast<tmsize_t>(-1)) {
        std::fputs("Could not write image\n", stderr);
        // Release the handle as well; the file left behind is incomplete.
        TIFFClose(tif);
        return -1;
    }

    TIFFClose(tif);
    return 0;
}

}  // namespace TiffWriter
