#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "patterns/PatternWrapper.h"
#include "patterns/pm5544/CardRegion.h"
#include "patterns/pm5544/PM5544Palette.h"

// The Philips PM5544 test card, drawn in proportion to the canvas height.
// setup() renders the whole frame once and shapes its edges along each line;
// body() only looks samples up. With renderLinesOnDemand set, setup() keeps
// only what the drawing needs and each line is rendered and shaped when it is
// first asked for, from a small cache of lines: the samples are the same.
class PhilipsPm5544Spec : public PatternSpec {
public:
    Pixel palette[PM5544Palette::kSlotCount];
    int savedTransitionSize = 0;
    int squareWavePeriod;
    int gratingStartHz = 800000;
    int gratingStepHz = 1000000;
    int capBarWidth = 0;
    int longBarWidth = 0;
    int centreBarWidth = 0;
    std::vector<Pixel> frame;

    PhilipsPm5544Spec();
    ~PhilipsPm5544Spec() override;
    PhilipsPm5544Spec(const PhilipsPm5544Spec&) = delete;
    PhilipsPm5544Spec& operator=(const PhilipsPm5544Spec&) = delete;

    void setup() override;
    Pixel body(int x, int y) override;
    bool useFullCanvasSize() override;
    const std::vector<Pixel>* colourTable() override;
    const uint32_t* indexedLine(int y) override;
    bool drawableAt(long long width, long long height, int aspectWidth, int aspectHeight) const override;
    // The palette is given in studio-range codes for every colour space, so
    // full range (-fr) changes none of them: only a full-range R'G'B' canvas
    // has full-range codes.
    bool fullRangeCodes() const override;

    // The largest magnitude of any intermediate product of the card's 32-bit
    // geometry on such a canvas (LLONG_MAX when it does not even fit 64
    // bits): the card can be drawn exactly when it is at most INT_MAX.
    static long long largestGeometryProduct(long long width, long long height, int aspectWidth, int aspectHeight);

    // True when the lines are produced on demand rather than held in `frame`.
    bool producesLinesOnDemand() const { return lineMaker != nullptr; }

    // The unshaped card colour of one sample. Valid once setup() has run.
    Pixel render(int x, int y);
    CardRegion regionOf(int x, int y) const;  // the part of the card a frame sample belongs to
    // regionOf for every sample of line y, into `regions` (resized to the
    // width): the circles are found once for the line, not at every sample.
    void regionsOfLine(int y, std::vector<CardRegion>& regions) const;

    // Replaces every colour change along one line buffer by a raised-cosine
    // ramp and appends the shaped samples, all but the context samples at
    // both ends, to `shaped`. Neighbours are always read from `lineBuffer`,
    // so the result does not depend on the order the samples are shaped in.
    void shapeLine(const std::vector<Pixel>& lineBuffer, const std::deque<double>& fastTransition,
                   std::vector<Pixel>& shaped) const;

private:
    static constexpr int kCornerCount = 4;
    static constexpr int kMaxDotsPerCorner = 4;

    // One of the small circles near the corners, with its identifying dots.
    struct Corner {
        int cx = 0;  // centre, in the units insideCircleHeight takes
        int cy = 0;
        int squareCx = 0;  // centre in line units, for the grey square
        int dotCount = 0;
        int dotCx[kMaxDotsPerCorner] = {};
        int dotCy[kMaxDotsPerCorner] = {};
    };

    // Every dimension of the card for the current canvas, fixed in setup()
    // so that render() does no geometry of its own beyond the per-sample tests.
    struct Geometry {
        int centreX = 0;
        int centreY = 0;
        int circleRadius = 0;
        int outlineRadius = 0;

        // Lowest dy of each band of the central circle, top to bottom,
        // expressed as the band's last line (the next band starts one below).
        int whiteCapEnd = 0;
        int capBarEnd = 0;
        int whiteBarEnd = 0;
        int squareWaveEnd = 0;
        int colourBarsEnd = 0;
        int centreBandEnd = 0;
        int gratingsEnd = 0;
        int greyScaleEnd = 0;
        int blackBarEnd = 0;

        int capBarOffset = 0;
        int longBarOffset = 0;
        int markFirst = 0;
        int whiteBarMarkLast = 0;
        int blackBarMarkLast = 0;
        int centreBarOffset = 0;
        int colourBarsWidth = 0;
        int colourBarsOffset = 0;
        int greyScaleWidth = 0;
        int greyScaleOffset = 0;

        int stripInner = 0;      // |dy| from which the centre strip runs
        int stripOuter = 0;      // |dy| below which it runs
        int stripHalfWidth = 0;  // |dx| below which it runs

        int gratingsOffset = 0;
        std::vector<Pixel> gratingSamples;  // one per position u across the gratings

        Corner corners[kCornerCount];
        int cornerRadius = 0;
        int cornerOutlineRadius = 0;
        int cornerRingRadius = 0;
        int cornerSquareHalf = 0;
        int dotRadius = 0;

        int gridHalfHeight = 0;
        int gridHalfWidth = 0;
        int gridPitch = 0;
        bool gridDrawable = false;    // the grid pitch is at least one sample
        bool borderDrawable = false;  // likewise the border blocks
    };

    Geometry geometry;

    // The circles regionOf tells parts by: the central circle, its outline,
    // then each corner circle's outline.
    static constexpr int kCentralCircle = 0;
    static constexpr int kCircleOutline = 1;
    static constexpr int kFirstCornerCircle = 2;
    static constexpr int kRegionCircleCount = kFirstCornerCircle + kCornerCount;
    // The classification, given whether sample (dx, dy) from the centre lies
    // inside circle i: inside(i, dx, dy).
    template <class Inside>
    CardRegion classify(int x, int y, const Inside& inside) const;

    void selectPalette();
    void handOverTransitions();
    void setSizeParameters();
    void computeGeometry();
    void computeGratings();
    void buildFrame();
    bool linesCanBeMadeOnDemand() const;

    Pixel centralCircle(int dx, int dy);
    Pixel centrePattern(int dx, int dy);
    Pixel grating(int dx) const;
    Pixel cornerContent(const Corner& corner, int dx, int dy) const;
    Pixel gridOrBorder(int dx, int dy);

    // Lines whose dy falls in the same class have the same central-circle
    // colours (and likewise background colours) at every dx.
    int centralRowClass(int dy) const;
    int backgroundRowClass(int dy) const;

    // A maximal run of equal samples in a line buffer, and whether a differing
    // sample lies just before and just after it.
    struct Run {
        int first = 0;
        int last = 0;
        bool hasPrevious = false;
        bool hasNext = false;
    };

    // Shapes every sample of a line buffer from position `before` to the
    // position `after` short of its end, walking it one run at a time and
    // handing each output sample, or stretch of equal ones, to `out`.
    template <typename Line, typename Out>
    void shapeRuns(const Line& line, const std::deque<double>& fastTransition, Out& out) const;

    // The shaped colour of sample p at position i of a buffer of `size`
    // samples, inside `run`; `next` and `previous` are the samples just past
    // the run on either side (null at the ends of the buffer).
    Pixel shapeSample(const Pixel& p, int i, int size, const Run& run, const Pixel* next, const Pixel* previous,
                      const std::deque<double>& fastTransition) const;

    // Line-by-line production: painting, shaping and a cache of lines.
    class LineMaker;
    std::unique_ptr<LineMaker> lineMaker;

    // The shaping context of a line: black samples before the first rendered
    // sample and after the last one, and the rendered range of x.
    struct LineLayout {
        int before = 0;  // samples kept ahead of an edge by the standard ramp
        int after = 0;   // and behind it
        int lead = 0;    // black samples ahead of the rendered ones
        int trail = 0;   // black samples after them
        int firstX = 0;  // the first rendered x
        int count = 0;   // rendered samples
        int size() const { return lead + count + trail; }
        int outputSize() const { return size() - before - after; }
    };
    LineLayout lineLayout() const;
};
