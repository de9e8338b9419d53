#include "support/Y4mReader.h"

#include <sstream>

#include "support/RunProgram.h"

namespace {

constexpr char kMagic[] = "YUV4MPEG2 ";
constexpr char kFrame[] = "FRAME\n";

}  // namespace

std::string Y4mStream::field(char letter) const
{
    std::istringstream words(header);
    for (std::string word; words >> word;) {
        if (word[0] == letter) return word.substr(1);
    }
    return "";
}

uint16_t Y4mStream::at(Plane plane, int x, int y, std::size_t frame) const
{
    const int bytes = depth > 8 ? 2 : 1;
    const std::size_t luma = static_cast<std::size_t>(width) * height;
    const std::size_t chroma = static_cast<std::size_t>(chromaWidth) * chromaHeight;
    std::size_t index = plane == Y ? static_cast<std::size_t>(y) * width + x
                                   : static_cast<std::size_t>(y) * chromaWidth + x + luma + (plane == Cr ? chroma : 0);
    const auto* p = reinterpret_cast<const unsigned char*>(frames[frame].data()) + index * bytes;
    return bytes == 1 ? p[0] : static_cast<uint16_t>(p[0] | p[1] << 8);
}

Y4mStream parseY4m(const std::string& bytes)
{
    Y4mStream s;
    const std::size_t end = bytes.find('\n');
    if (bytes.compare(0, sizeof kMagic - 1, kMagic) != 0 || end == std::string::npos) {
        s.error = "no YUV4MPEG2 header line";
        return s;
    }
    s.header = bytes.substr(0, end);
    s.width = std::stoi("0" + s.field('W'));
    s.height = std::stoi("0" + s.field('H'));
    s.colour = s.field('C');
    const std::size_t p = s.colour.find('p');
    const bool tagged = p != std::string::npos && s.colour.find("paldv") == std::string::npos;
    s.depth = tagged ? std::stoi(s.colour.substr(p + 1)) : 8;
    const std::string layout = s.colour.substr(0, 3);
    s.chromaWidth = layout == "444" ? s.width : (s.width + 1) / 2;
    s.chromaHeight = layout == "420" ? (s.height + 1) / 2 : s.height;
    if (layout != "444" && layout != "422" && layout != "420") {
        s.error = "unknown C field " + s.colour;
        return s;
    }
    const std::size_t frameBytes =
        (static_cast<std::size_t>(s.width) * s.height + 2 * static_cast<std::size_t>(s.chromaWidth) * s.chromaHeight) *
        (s.depth > 8 ? 2 : 1);
    for (std::size_t at = end + 1; at < bytes.size(); at += sizeof kFrame - 1 + frameBytes) {
        if (bytes.compare(at, sizeof kFrame - 1, kFrame) != 0) {
            s.error = "no FRAME marker at byte " + std::to_string(at);
            return s;
        }
        if (bytes.size() - at - (sizeof kFrame - 1) < frameBytes) {
            s.error = "the last frame is cut off";
            return s;
        }
        s.frames.push_back(bytes.substr(at + sizeof kFrame - 1, frameBytes));
    }
    s.ok = true;
    return s;
}

Y4mStream readY4m(const std::string& path)
{
    return parseY4m(readFile(path));
}
