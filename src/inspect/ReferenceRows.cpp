#include "inspect/ReferenceRows.h"

#include <stdexcept>
#include <utility>

#include "inspect/DpxLayout.h"
#include "inspect/InstrumentFileExpansion.h"
#include "inspect/QuietStdout.h"
#include "inspect/TiffFileReader.h"
#include "rows/ImageRows.h"
#include "rows/InstrumentBlocks.h"
#include "rows/TiffRows.h"
#include "tools/ColourAxes.h"
#include "tools/ColourKeywords.h"
#include "tools/SampleLayout.h"
#include "writers/writeVantoKeplo.h"

namespace {

constexpr int kRenderSamples = SampleLayout::kImageSamplesPerPixel;  // Cr or R, Y' or G, Cb or B, alpha
constexpr int kTiffSamples = SampleLayout::kTiffSamplesPerPixel;
constexpr int kStoredBits = SampleLayout::kSampleBits;
constexpr int kPlaneSamples = 3;

// The layout checks of the driver for instrument files.
void checkPatternFileSettings(int format, const RunSettings& s)
{
    if (s.bitDepth != kPatternFileBitDepth) throw std::runtime_error("pattern files are rendered at -b 12");
    const bool yCbCr = ColourAxes::isYCbCr(s.axes);
    const bool fits = format == PatternFileFormat::YCbCr422 ? yCbCr && s.sampling != PatternGen::Sampling_444
                      : format == PatternFileFormat::YCbCr444
                          ? yCbCr && s.sampling == PatternGen::Sampling_444
                          : !yCbCr && ColourAxes::factsOf(s.axes).levels != ColourAxes::Levels::AlwaysFull;
    if (!fits) {
        throw std::runtime_error(std::string("pm5544 makes no pattern file of this format from -c ") +
                                 ColourKeywords::textOf(s.axes) + " -s " + std::to_string(s.sampling));
    }
}

// Ends the instrument form once it has made the blocks of the lines wanted.
struct EnoughLines {};

}  // namespace

ReferenceRows::ReferenceRows(const InspectedFile& file, const RunSettings& s, int lines)
    : kind_(file.kind),
      dpxDescriptor_(file.dpxDescriptor),
      patternFormat_(file.patternFormat),
      settings_(s),
      lines_(lines)
{
    if (kind_ == FileKind::PatternFile) checkPatternFileSettings(patternFormat_, s);
    shape_.width = s.width;
    shape_.height = s.height;
    shape_.presentWidth = s.width;
    shape_.presentHeight = lines;
    shape_.codeBits = file.shape.codeBits;
    switch (kind_) {
    case FileKind::Png:
        shape_.components = kRenderSamples;
        shape_.storedBits = kStoredBits;
        break;
    case FileKind::Tiff:
        shape_.components = kTiffSamples;
        shape_.storedBits = kStoredBits;
        break;
    case FileKind::Dpx:
        shape_.components = kPlaneSamples;
        shape_.storedBits = DpxLayout::kDatumBits;
        shape_.presentWidth = DpxLayout::storedPixels(dpxDescriptor_, s.width);
        break;
    case FileKind::PatternFile:
        shape_.components = kPlaneSamples;
        shape_.storedBits = file.shape.storedBits;
        break;
    case FileKind::Y4m:
        shape_.components = kPlaneSamples;
        shape_.storedBits = file.shape.storedBits;
        break;
    }
    card_.renderLinesOnDemand = true;  // as pm5544 makes it: lines as they are asked for
    QuietStdout quiet;
    card_.init(s.width, s.height, s.aspectWidth, s.aspectHeight, s.axes, s.sampling, s.bitDepth, s.fullRange,
               PatternGen::Quadrant_None, 0, false, "");
    card_.render_text(s.width, s.height);
    if (kind_ == FileKind::PatternFile) makePatternBlocks(lines);
    restart();
}

ReferenceRows::~ReferenceRows() = default;

void ReferenceRows::makePatternBlocks(int lines)
{
    VantoKeploPatternFile pattern;
    std::vector<std::pair<int, int>> repeats;
    const bool xyz = patternFormat_ == PatternFileFormat::XYZ;
    long long made = 0;
    try {
        makeInstrumentBlocks(card_, settings_.width, settings_.height, repeats, pattern, [&](CompressedLine* block) {
            std::unique_ptr<CompressedLine> owned(block);
            if (xyz) owned->ConvertToXYZ(settings_.width == kStandardDefinitionWidth);
            made += InstrumentFileExpansion::linesOf(pattern.singleBlock, owned->GetPercentage());
            blocks_.push_back(std::move(owned));
            if (made >= lines) throw EnoughLines();
        });
    } catch (const EnoughLines&) {
    }
    patternSingleBlock_ = pattern.singleBlock;
}

void ReferenceRows::restart()
{
    row_ = 0;
    block_ = 0;
    left_ = 0;
    image_.reset();
    tiff_.reset();
    switch (kind_) {
    case FileKind::Png:
    case FileKind::Dpx:
    case FileKind::Y4m:
        image_ = std::make_unique<ImageRows>(card_, settings_.width, settings_.height);
        image_->roundTo(settings_.bitDepth);
        made_.resize(static_cast<std::size_t>(settings_.width) * kRenderSamples);
        break;
    case FileKind::Tiff: {
        std::vector<std::pair<int, int>> repeats;
        tiff_ = std::make_unique<TiffRows>(card_, settings_.width, settings_.height, repeats);
        made_.resize(static_cast<std::size_t>(settings_.width) * kTiffSamples);
        break;
    }
    case FileKind::PatternFile: break;
    }
}

bool ReferenceRows::next(uint16_t* row)
{
    if (row_ >= lines_ || row_ >= shape_.height) return false;
    const std::size_t width = static_cast<std::size_t>(settings_.width);
    switch (kind_) {
    case FileKind::Png: image_->next(row); break;
    case FileKind::Dpx:
        image_->next(made_.data());
        DpxLayout::rowOf(made_.data(), settings_.width, dpxDescriptor_, row);
        break;
    case FileKind::Y4m: {
        // The PNG's codes at the planes' depth: shifted right to the -b depth, and
        // left again for a depth carried in a wider one.
        image_->next(made_.data());
        const int shift = kStoredBits - shape_.storedBits;
        for (std::size_t x = 0; x < width; ++x) {
            for (std::size_t c = 0; c < kPlaneSamples; ++c) {
                row[x * kPlaneSamples + c] = static_cast<uint16_t>(made_[x * kRenderSamples + c] >> shift);
            }
        }
        break;
    }
    case FileKind::Tiff: {
        if (row_ >= tiff_->rows()) return false;
        tiff_->next(made_.data());
        const std::array<int, 3> order = tiffStoredComponents(ColourAxes::isYCbCr(settings_.axes));
        for (std::size_t x = 0; x < width; ++x) {
            for (std::size_t i = 0; i < kTiffSamples; ++i)
                row[x * kTiffSamples + order[i]] = made_[x * kTiffSamples + i];
        }
        break;
    }
    case FileKind::PatternFile: {
        const bool pairs = patternFormat_ == PatternFileFormat::YCbCr422;
        while (left_ == 0) {
            if (block_ >= blocks_.size()) return false;
            CompressedLine& block = *blocks_[block_++];
            line_ = InstrumentFileExpansion::samplesOf(block,
                                                       InstrumentFileExpansion::samplesPerLine(pairs, settings_.width));
            left_ = InstrumentFileExpansion::linesOf(patternSingleBlock_, block.GetPercentage());
        }
        --left_;
        InstrumentFileExpansion::fillRow(line_, pairs, settings_.width, row);
        break;
    }
    }
    ++row_;
    return true;
}
