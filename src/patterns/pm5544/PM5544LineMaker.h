#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <unordered_map>
#include <vector>

#include "patterns/pm5544/philips-PM5544-2si-num-new.h"
#include "tools/PixelEquality.h"

// Produces the card one line at a time, with the same samples as the whole
// frame holds, as indices into a table of the distinct colours.
//
// A line is first painted region by region. Each region is an interval along
// the line: the circles are found by a binary search of the card's own circle
// test (which is monotone in x on either side of the circle's centre), and
// the colours inside the central circle and the background come from rows of
// the drawing computed once per class of lines (centralRowClass,
// backgroundRowClass). The painted line is then shaped. A shaped sample
// depends only on the painted samples within one standard ramp of it, so a
// line is shaped from the line made before it: only the samples near a
// painted change are shaped again. A few lines are kept for body().
class PhilipsPm5544Spec::LineMaker {
public:
    explicit LineMaker(PhilipsPm5544Spec& card);

    // Line y, x = 0 ... width - 1, as indices into colours().
    const uint32_t* line(int y);
    const std::vector<Pixel>& colours() const { return colours_; }

    // An interval of dx, empty when first > last.
    struct Span {
        int first = 0;
        int last = -1;
        bool empty() const { return first > last; }
        Span within(Span other) const
        {
            return {first > other.first ? first : other.first, last < other.last ? last : other.last};
        }
    };

    // A painted line as the shaping walk reads it.
    struct IndexLine {
        const std::vector<uint32_t>& indices;
        const LineMaker& maker;
        int size() const { return static_cast<int>(indices.size()); }
        bool same(int a, int b) const
        {
            return maker.same(indices[static_cast<std::size_t>(a)], indices[static_cast<std::size_t>(b)]);
        }
        const Pixel& at(int i) const { return maker.colours_[indices[static_cast<std::size_t>(i)]]; }
    };

    // Shaped samples into a line of indices.
    struct IndexOut {
        LineMaker& maker;
        const std::vector<uint32_t>& painted;
        uint32_t* out;
        int skip;  // painted samples ahead of the first output one
        // `count` samples from `position` on, each the sample at `source`.
        void repeat(int position, int source, const Pixel&, int count)
        {
            const uint32_t colour = painted[static_cast<std::size_t>(source)];
            uint32_t* to = out + (position - skip);
            for (int k = 0; k < count; ++k) to[k] = colour;
        }
        void one(int position, const Pixel& p) { out[position - skip] = maker.intern(p); }
    };

private:
    struct Line {
        int y = -1;
        uint64_t lastUse = 0;
        std::vector<uint32_t> painted;  // with the black context at both ends
        std::vector<uint32_t> shaped;   // one per x
    };

    struct PixelHash {
        std::size_t operator()(const Pixel& p) const { return pixelHash(p); }
    };
    struct PixelIdentical {
        bool operator()(const Pixel& a, const Pixel& b) const { return identicalPixels(a, b); }
    };

    bool same(uint32_t a, uint32_t b) const { return a == b || (classesShared_ && classOf_[a] == classOf_[b]); }
    uint32_t intern(const Pixel& p);

    void paint(int y, std::vector<uint32_t>& out);
    const std::vector<uint32_t>& centralRow(int dy);
    const std::vector<uint32_t>& backgroundRow(int dy);
    Span circleSpan(int dy, int cx, int cy, int r) const;
    Span squareSpan(const Corner& corner) const;
    void paintCorner(const Corner& corner, int dy, std::vector<uint32_t>& out);
    void fill(std::vector<uint32_t>& out, Span span, uint32_t colour) const;
    void copy(std::vector<uint32_t>& out, Span span, const std::vector<uint32_t>& row) const;

    void shapeAll(const std::vector<uint32_t>& painted, std::vector<uint32_t>& shaped);
    bool shapeChanges(const std::vector<uint32_t>& before, const std::vector<uint32_t>& painted,
                      std::vector<uint32_t>& shaped);
    uint32_t shapeAt(const std::vector<uint32_t>& painted, int position);

    PhilipsPm5544Spec& card_;
    LineLayout layout_;
    int ramp_ = 0;     // how far a painted change can move a shaped sample
    int dxFirst_ = 0;  // dx of the first rendered sample
    int dxLast_ = 0;   // and of the last
    std::deque<double> fast_;

    // The distinct colours, each with the index of the first colour that
    // shaping counts as the same sample; classesShared_ once two differ.
    std::vector<Pixel> colours_;
    std::vector<uint32_t> classOf_;
    bool classesShared_ = false;
    std::unordered_map<Pixel, uint32_t, PixelHash, PixelIdentical> indexOf_;
    uint32_t black_ = 0;
    uint32_t white_ = 0;
    uint32_t grey50_ = 0;

    std::unordered_map<int, std::vector<uint32_t>> centralRows_;
    std::unordered_map<int, std::vector<uint32_t>> backgroundRows_;

    // Shaped samples by their neighbourhood: the sample, the samples just
    // past its run on either side and how far they are (up to ramp_ + 1).
    struct Neighbourhood {
        uint64_t sampleAndPrevious = 0;
        uint64_t nextAndDistances = 0;
        bool operator==(const Neighbourhood& o) const
        {
            return sampleAndPrevious == o.sampleAndPrevious && nextAndDistances == o.nextAndDistances;
        }
    };
    struct NeighbourhoodHash {
        std::size_t operator()(const Neighbourhood& n) const
        {
            return static_cast<std::size_t>((n.sampleAndPrevious * 0x9E3779B97F4A7C15ull) ^ n.nextAndDistances);
        }
    };
    std::unordered_map<Neighbourhood, uint32_t, NeighbourhoodHash> shapedBy_;

    static constexpr int kCachedLines = 4;
    std::array<Line, kCachedLines> lines_;
    Line* lastMade_ = nullptr;
    uint64_t clock_ = 0;
};
