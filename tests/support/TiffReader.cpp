#include "support/TiffReader.h"

#include <tiffio.h>

namespace {

constexpr int kBitsPerSample = 16;

}  // namespace

TiffImage readTiff(const std::string& path)
{
    TiffImage image;
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (tif == nullptr) return image;
    uint16_t bits = 0, channels = 0, planar = 0, photometric = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &image.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &image.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &channels);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    image.channels = channels;
    image.photometric = photometric;
    const std::size_t perRow = static_cast<std::size_t>(image.width) * channels;
    bool ok = bits == kBitsPerSample && planar == PLANARCONFIG_CONTIG &&
              static_cast<std::size_t>(TIFFScanlineSize(tif)) == perRow * sizeof(uint16_t);
    if (ok) image.samples.resize(perRow * image.height);
    for (uint32_t y = 0; ok && y < image.height; ++y) {
        ok = TIFFReadScanline(tif, image.samples.data() + perRow * y, y) == 1;
    }
    TIFFClose(tif);
    image.ok = ok;
    if (!ok) image.samples.clear();
    return image;
}
