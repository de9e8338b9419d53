#include "writers/LineRepeatTag.h"

namespace TiffWriter {

namespace {

char lineRepeatName[] = "LineRepeat";

const TIFFFieldInfo xtiffFieldInfo[] = {
    {kLineRepeatTag, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_ASCII, FIELD_CUSTOM, false, false, lineRepeatName},
};

// The extender that was installed before ours; ours hands every file on to it.
TIFFExtendProc parent_extender = nullptr;

}  // namespace

// libtiff keeps one extender per process, so installing ours twice would
// make it its own parent.
void augment_libtiff_with_custom_tags()
{
    static bool first_time = true;
    if (!first_time) {
        return;
    }
    first_time = false;
    parent_extender = TIFFSetTagExtender(registerCustomTIFFTags);
}

void registerCustomTIFFTags(TIFF* tif)
{
    TIFFMergeFieldInfo(tif, xtiffFieldInfo, sizeof(xtiffFieldInfo) / sizeof(xtiffFieldInfo[0]));
    if (parent_extender != nullptr) {
        parent_extender(tif);
    }
}

}  // namespace TiffWriter
