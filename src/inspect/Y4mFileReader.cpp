#include "inspect/Y4mFileReader.h"

#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "inspect/InputBytes.h"
#include "inspect/UnreadableFile.h"

namespace {

constexpr char kSignature[] = "YUV4MPEG2";
constexpr char kFrameMark[] = "FRAME";
// A header or frame line longer than this is not one pm5544 writes (its are
// at most 80 bytes) and is not looked through further.
constexpr std::size_t kLongestLine = 1024;
constexpr int kComponents = 3;
constexpr int kEightBits = 8;

// The sample layouts of the C tag that pm5544 writes (and the 8-bit 4:2:0
// names other programs give the same layout).
struct ChromaTag {
    const char* name;  // without the pN of deeper samples
    PatternGen::sampling_e sampling;
    bool eightBitOnly;
    bool deeper;  // takes pN
};

constexpr ChromaTag kChromaTags[] = {
    {"444", PatternGen::Sampling_444, false, true},     {"422", PatternGen::Sampling_422, false, true},
    {"420", PatternGen::Sampling_420, false, true},     {"420paldv", PatternGen::Sampling_420, true, false},
    {"420jpeg", PatternGen::Sampling_420, true, false}, {"420mpeg2", PatternGen::Sampling_420, true, false},
};

constexpr int kDeeperBits[] = {9, 10, 12, 14, 16};

struct Header {
    uint64_t width = 0;
    uint64_t height = 0;
    std::string rate = "?";
    std::string interlacing = "?";
    std::string aspect = "?";
    std::string chroma = "420jpeg";  // the tag's value; absent means 420jpeg
    std::string range;               // XCOLORRANGE, when given
    PatternGen::sampling_e sampling = PatternGen::Sampling_420;
    int bits = kEightBits;
};

// The bytes up to the next "\n" from `offset`, without it; false when there is none within kLongestLine.
bool lineAt(const InputBytes& input, uint64_t offset, std::string& line)
{
    char bytes[kLongestLine];
    const std::size_t got = input.read(offset, bytes, sizeof bytes);
    for (std::size_t i = 0; i < got; ++i) {
        if (bytes[i] == '\n') {
            line.assign(bytes, i);
            return true;
        }
    }
    line.assign(bytes, got);
    return false;
}

bool positiveNumber(const std::string& text, uint64_t& value)
{
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::strtoull(text.c_str(), nullptr, 10);
    return value > 0 && value <= INT32_MAX;
}

// A pixel aspect n:d of a W x H picture is the display aspect W n : H d
// ("0:0", unknown, and anything malformed record none).
void recordDisplayAspect(const Header& h, InspectedFile& result)
{
    const std::size_t colon = h.aspect.find(':');
    uint64_t n = 0, d = 0;
    if (colon == std::string::npos || !positiveNumber(h.aspect.substr(0, colon), n) ||
        !positiveNumber(h.aspect.substr(colon + 1), d)) {
        return;
    }
    uint64_t across = h.width * n;
    uint64_t down = h.height * d;
    const uint64_t common = std::gcd(across, down);
    across /= common;
    down /= common;
    if (across > INT32_MAX || down > INT32_MAX) return;
    result.displayAspectWidth = static_cast<int>(across);
    result.displayAspectHeight = static_cast<int>(down);
    result.field("display aspect", std::to_string(across) + ":" + std::to_string(down) +
                                       " (the card is compared at -a " + std::to_string(across) + "x" +
                                       std::to_string(down) + " unless -a is given)");
}

void readChroma(Header& h)
{
    for (const ChromaTag& tag : kChromaTags) {
        const std::string name = tag.name;
        if (h.chroma == name) {
            h.sampling = tag.sampling;
            h.bits = kEightBits;
            return;
        }
        if (!tag.deeper || h.chroma.compare(0, name.size() + 1, name + "p") != 0) continue;
        const std::string depth = h.chroma.substr(name.size() + 1);
        for (int bits : kDeeperBits) {
            if (depth == std::to_string(bits)) {
                h.sampling = tag.sampling;
                h.bits = bits;
                return;
            }
        }
    }
    throw UnreadableFile(
        "its samples are C" + h.chroma +
        "; pm5544 writes 444, 422, 420paldv or, above 8 bits, 444pN, 422pN, 420pN (N 9, 10, 12, 14, 16)");
}

Header parseHeader(const std::string& line)
{
    Header h;
    std::istringstream words(line.substr(sizeof kSignature - 1));
    std::string word;
    while (words >> word) {
        const std::string value = word.substr(1);
        switch (word[0]) {
        case 'W':
            if (!positiveNumber(value, h.width)) throw UnreadableFile("its width W" + value + " is no positive number");
            break;
        case 'H':
            if (!positiveNumber(value, h.height)) {
                throw UnreadableFile("its height H" + value + " is no positive number");
            }
            break;
        case 'F': h.rate = value; break;
        case 'I': h.interlacing = value; break;
        case 'A': h.aspect = value; break;
        case 'C': h.chroma = value; break;
        case 'X':
            if (value.compare(0, 11, "COLORRANGE=") == 0) h.range = value.substr(11);
            break;
        default: break;
        }
    }
    if (h.width == 0 || h.height == 0) throw UnreadableFile("its header gives no size (W and H)");
    readChroma(h);
    return h;
}

std::string interlacingName(const std::string& tag)
{
    if (tag == "p") return "p (progressive)";
    if (tag == "t") return "t (top field first)";
    if (tag == "b") return "b (bottom field first)";
    if (tag == "m") return "m (mixed)";
    return tag;
}

struct Planes {
    uint64_t lumaRow;      // bytes of a Y' row
    uint64_t chromaRow;    // bytes of a Cb or Cr row
    uint64_t lumaBytes;    // of the Y' plane
    uint64_t chromaBytes;  // of a Cb or Cr plane
    uint64_t frameBytes() const { return lumaBytes + 2 * chromaBytes; }
};

Planes planesOf(const Header& h)
{
    const uint64_t bytes = h.bits > kEightBits ? 2 : 1;
    const uint64_t chromaWidth = h.sampling == PatternGen::Sampling_444 ? h.width : (h.width + 1) / 2;
    const uint64_t chromaHeight = h.sampling == PatternGen::Sampling_420 ? (h.height + 1) / 2 : h.height;
    return {h.width * bytes, chromaWidth * bytes, h.width * h.height * bytes, chromaWidth * chromaHeight * bytes};
}

// The rows of one frame, each read from the three planes.
class Y4mRows : public FileRows {
public:
    Y4mRows(const InputBytes& input, const FrameShape& shape, const Header& header, uint64_t frameData)
        : input_(input),
          planes_(planesOf(header)),
          sampling_(header.sampling),
          wide_(header.bits > kEightBits),
          frameData_(frameData),
          luma_(static_cast<std::size_t>(planes_.lumaRow)),
          cb_(static_cast<std::size_t>(planes_.chromaRow)),
          cr_(static_cast<std::size_t>(planes_.chromaRow))
    {
        shape_ = shape;
    }

    void restart() override
    {
        y_ = 0;
        problems_.clear();
    }

    bool next(uint16_t* row) override
    {
        if (y_ >= shape_.height) return false;
        const uint64_t chromaLine =
            static_cast<uint64_t>(sampling_ == PatternGen::Sampling_420 ? y_ / 2 : y_) * planes_.chromaRow;
        const uint64_t cbPlane = frameData_ + planes_.lumaBytes;
        const uint64_t crPlane = cbPlane + planes_.chromaBytes;
        const bool whole = input_.read(frameData_ + static_cast<uint64_t>(y_) * planes_.lumaRow, luma_.data(),
                                       luma_.size()) == luma_.size() &&
                           input_.read(cbPlane + chromaLine, cb_.data(), cb_.size()) == cb_.size() &&
                           input_.read(crPlane + chromaLine, cr_.data(), cr_.size()) == cr_.size();
        if (!whole) return false;
        ++y_;
        const bool shared = sampling_ != PatternGen::Sampling_444;
        for (int x = 0; x < shape_.width; ++x) {
            const std::size_t c = static_cast<std::size_t>(shared ? x / 2 : x);
            uint16_t* p = row + static_cast<std::size_t>(x) * kComponents;
            p[FrameShape::kYOrG] = sample(luma_, static_cast<std::size_t>(x));
            p[FrameShape::kCbOrB] = sample(cb_, c);
            p[FrameShape::kCrOrR] = sample(cr_, c);
        }
        return true;
    }

private:
    uint16_t sample(const std::vector<unsigned char>& bytes, std::size_t i) const
    {
        if (!wide_) return bytes[i];
        return static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }

    const InputBytes& input_;
    Planes planes_;
    PatternGen::sampling_e sampling_;
    bool wide_;
    uint64_t frameData_;
    std::vector<unsigned char> luma_;
    std::vector<unsigned char> cb_;
    std::vector<unsigned char> cr_;
    int y_ = 0;
};

std::string samplingName(PatternGen::sampling_e sampling)
{
    switch (sampling) {
    case PatternGen::Sampling_444: return "4:4:4";
    case PatternGen::Sampling_422: return "4:2:2 (the chroma of the even samples)";
    case PatternGen::Sampling_420: return "4:2:0 (the chroma of the even samples of the even lines)";
    }
    return "";
}

}  // namespace

std::unique_ptr<FileRows> openY4mFile(const InputBytes& input, InspectedFile& result, int frame)
{
    std::string line;
    if (!lineAt(input, 0, line)) {
        if (input.size() < kLongestLine) {
            result.problems.push_back("the file ends inside its header");
            return nullptr;
        }
        throw UnreadableFile("its header line is longer than " + std::to_string(kLongestLine) + " bytes");
    }
    if (line.compare(0, sizeof kSignature - 1, kSignature) != 0) throw UnreadableFile("it does not begin YUV4MPEG2");
    const Header h = parseHeader(line);
    result.field("header", line);
    result.field("size", std::to_string(h.width) + "x" + std::to_string(h.height));
    result.field("frame rate", h.rate);
    result.field("interlacing", interlacingName(h.interlacing));
    result.field("pixel aspect", h.aspect);
    recordDisplayAspect(h, result);
    result.field("samples", "C" + h.chroma + ": " + std::to_string(h.bits) + "-bit " + samplingName(h.sampling));
    result.field("colour range", h.range.empty() ? "not given (XCOLORRANGE absent)" : h.range);
    result.layout = ColourLayout::YCbCr;
    result.sampling = h.sampling;
    result.samplingRecorded = true;
    result.chromaPairs = h.sampling != PatternGen::Sampling_444;
    result.fullRangeRecorded = h.range == "FULL";
    result.storedNames = {"Y'", "Cb", "Cr"};
    result.storedComponents = {FrameShape::kYOrG, FrameShape::kCbOrB, FrameShape::kCrOrR};

    // Every frame: "FRAME", its parameters, a line feed and the three planes.
    const Planes planes = planesOf(h);
    uint64_t at = line.size() + 1;
    uint64_t frames = 0;
    uint64_t shown = 0;
    while (at < input.size()) {
        std::string mark;
        const bool ended = lineAt(input, at, mark);
        if (mark.compare(0, sizeof kFrameMark - 1, kFrameMark) != 0 || (!ended && mark.size() >= kLongestLine)) {
            result.problems.push_back(std::to_string(input.size() - at) + " bytes after frame " +
                                      std::to_string(frames) + " are not a frame");
            break;
        }
        const uint64_t data = at + (ended ? mark.size() + 1 : mark.size());
        if (!ended || input.size() - data < planes.frameBytes()) {
            result.problems.push_back("frame " + std::to_string(frames) +
                                      " is cut off: " + std::to_string(input.size() - std::min(data, input.size())) +
                                      " of its " + std::to_string(planes.frameBytes()) + " bytes");
            break;
        }
        if (frames == static_cast<uint64_t>(frame)) shown = data;
        ++frames;
        at = data + planes.frameBytes();
    }
    result.field("frames", std::to_string(frames) + (frames > 0 ? " (frame " + std::to_string(frame) + " shown)" : ""));
    if (frames == 0) {
        result.problems.push_back("it holds no whole frame");
        return nullptr;
    }
    if (static_cast<uint64_t>(frame) >= frames) {
        throw UnreadableFile("--frame " + std::to_string(frame) + ": the file holds frames 0 to " +
                             std::to_string(frames - 1));
    }
    FrameShape shape;
    shape.width = static_cast<int>(h.width);
    shape.height = static_cast<int>(h.height);
    shape.components = kComponents;
    shape.storedBits = h.bits;
    shape.codeBits = h.bits;
    shape.presentWidth = shape.width;
    return std::make_unique<Y4mRows>(input, shape, h, shown);
}
