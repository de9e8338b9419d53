#include "support/Y4mReader.h"

#include <sstream>

#include "support/RunProgram.h"

namespace {

const std::string kMagic = "YUV4MPEG2 ";
const std::string kFrame = "FRAME\n";

// The header field that starts with `letter` ("" when missing).
std::string field(const std::string& header, char letter)
{
    std::istringstream words(header);
    for (std::string word; words >> word;) {
        if (word[0] == letter) return word.substr(1);
    }
    return "";
}

}  // namespace

uint16_t Y4mStream::at(Plane plane, int x, int y, std::size_t frame) const
{
    const std::size_t luma = static_cast<std::size_t>(width) * height;
    const std::size_t chroma = static_cast<std::size_t>(chromaWidth) * chromaHeight;
    const std::size_t index = plane == Y
                                  ? static_cast<std::size_t>(y) * width + x
                                  : luma + (plane == Cr ? chroma : 0) + static_cast<std::size_t>(y) * chromaWidth + x;
    const auto* p = reinterpret_cast<const unsigned char*>(frames[frame].data());
    return depth > 8 ? static_cast<uint16_t>(p[2 * index] | p[2 * index + 1] << 8) : p[index];
}

Y4mStream parseY4m(const std::string& bytes)
{
    Y4mStream s;
    const std::size_t end = bytes.find('\n');
    if (bytes.compare(0, kMagic.size(), kMagic) != 0 || end == std::string::npos) {
        s.error = "no YUV4MPEG2 header line";
        return s;
    }
    s.header = bytes.substr(0, end);
    s.width = std::stoi("0" + field(s.header, 'W'));
    s.height = std::stoi("0" + field(s.header, 'H'));
    s.colour = field(s.header, 'C');
    const std::size_t p = s.colour.find('p');
    if (p != std::string::npos && s.colour.find("paldv") == std::string::npos)
        s.depth = std::stoi(s.colour.substr(p + 1));
    const std::string layout = s.colour.substr(0, 3);
    s.chromaWidth = layout == "444" ? s.width : (s.width + 1) / 2;
    s.chromaHeight = layout == "420" ? (s.height + 1) / 2 : s.height;
    const std::size_t frameBytes =
        (static_cast<std::size_t>(s.width) * s.height + 2 * static_cast<std::size_t>(s.chromaWidth) * s.chromaHeight) *
        (s.depth > 8 ? 2 : 1);
    for (std::size_t at = end + 1; at < bytes.size(); at += kFrame.size() + frameBytes) {
        if (bytes.compare(at, kFrame.size(), kFrame) != 0 || bytes.size() - at - kFrame.size() < frameBytes) {
            s.error = "a frame without its marker, or cut off, at byte " + std::to_string(at);
            return s;
        }
        s.frames.push_back(bytes.substr(at + kFrame.size(), frameBytes));
    }
    s.ok = true;
    return s;
}

Y4mStream readY4m(const std::string& path)
{
    return parseY4m(readFile(path));
}
