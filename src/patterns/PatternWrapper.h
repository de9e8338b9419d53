#pragma once

// PatternSpec, the abstract test pattern, and where its operations live:
//
//   PatternWrapper.cpp           construction, init(), the defaults of the
//                                pattern interface, geometry (fractions,
//                                circles, frequencies)
//   PatternTransitions.cpp       edge-transition tables; edge, edgeInv,
//                                vertLineAt
//   PatternPrimitives.cpp        bars, square wave, grid
//   rows/PatternLineRender.cpp   run_body: the 16-bit image and TIFF forms
//   rows/PatternInstrumentRender.cpp  run_body: the instrument-file form
//                                (both built on the streaming rows)
//   PatternLayers.cpp            overlay layers
//   PatternText.cpp              the text layer (captions drawn with Cairo
//                                and Pango into the first layer)
//
// What a pm5544 run calls is the live path: init(), render_text() (which
// draws nothing without a layer), the card's setup() and body(), and the
// primitives and geometry the card draws with. The operations marked "not
// used by the card" below are kept for patterns of other authors (see
// examples/colour-bars and README.md, "For pattern authors").

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "patterns/TTFont.h"
#include "patterns/TextLibraryTypes.h"
#include "patterns/TextSlug.h"
#include "tools/ColourSpace.h"
#include "tools/PatternGen.h"
#include "tools/Pixel.h"

class VantoKeploPatternFile;

// The abstract test pattern: its canvas, the colour bars in the canvas colour
// space, the edge-transition tables, the drawing primitives, the renderers that
// walk the canvas, and the text layer.
class PatternSpec {
public:
    // Text layer state (not used by the card).
    cairo_t* textContext = nullptr;
    std::vector<TTFont> fonts;
    std::vector<TextLine*> textLines;    // owned
    std::vector<unsigned char*> layers;  // owned
    int textLeft = 0;
    int textTop = 0;
    int textSizeValue = 100;  // the current text size; textSize(int) sets it
    TextSlug::horizAlign textHorizAlign = TextSlug::HorizCentre;
    TextSlug::vertAlign textVertAlign = TextSlug::VertCentre;

    // Canvas.
    int width = 3840;
    int height = 2160;
    int aspectWidth = 16;
    int aspectHeight = 9;
    ColourSpace colourSpace{PatternGen::Colour_YCbCr_709, 12, false};
    PatternGen::sampling_e sampling = PatternGen::Sampling_444;
    PatternGen::quadrant_e quadrant = PatternGen::Quadrant_None;
    bool riseTimeEnabled = true;
    bool skipLineEndShaping = false;
    int transitionSize = 3;
    Pixel colours100[8];
    Pixel colours75[8];
    std::deque<double> lumaTransition;
    std::deque<double> chromaTransition;
    int commandLineValue = 0;
    std::string fontDirectory;
    // Set before init to let a pattern that can do so produce its lines when
    // they are first asked for, instead of holding the whole frame; body()
    // answers exactly the same either way. The program sets it.
    bool renderLinesOnDemand = false;

    PatternSpec();
    virtual ~PatternSpec();
    // A pattern owns its layers and captions: it is not copied.
    PatternSpec(const PatternSpec&) = delete;
    PatternSpec& operator=(const PatternSpec&) = delete;

    // Pattern interface.
    virtual void setup() = 0;
    virtual Pixel body(int x, int y) = 0;
    virtual void getLineRepeats(std::vector<std::pair<int, int>>& repeats);
    virtual bool useFullCanvasSize();
    // Patterns that keep their samples as indices into a table of distinct
    // colours can hand the renderers whole lines: indexedLine gives line y,
    // x = 0 ... width - 1, as indices into the table colourTable()
    // returns, exactly the samples body() answers. The table only grows, so
    // an index stays valid for the whole run. The base has no table (null):
    // the renderers then ask body() for every sample.
    virtual const std::vector<Pixel>* colourTable();
    virtual const uint32_t* indexedLine(int y);
    // Whether the pattern can be drawn on a canvas of width x height samples
    // at the aspect aspectWidth:aspectHeight (in lowest terms), as init would
    // hold them: true when no product of its 32-bit geometry overflows. The
    // base answers for the framework's fractions of the whole canvas
    // (width x height x the larger aspect number); a pattern that knows its
    // own arithmetic answers more exactly.
    virtual bool drawableAt(long long width, long long height, int aspectWidth, int aspectHeight) const;
    // Whether the codes the pattern answers with, converted to the canvas,
    // use the full range (what a stream's range flag must say). Valid after
    // init. The base: the canvas's own range (R'G'B' of the full range, or
    // any canvas set up with fullRange).
    virtual bool fullRangeCodes() const;

    bool init(int width, int height, int aspectWidth, int aspectHeight, PatternGen::colorAxes_e axes,
              PatternGen::sampling_e sampling, int bitDepth, bool fullRange, PatternGen::quadrant_e quadrant,
              int commandLineValue, bool skipLineEndShaping, const std::string& fontDirectory);

    // Geometry, in 32-bit integer arithmetic: multiply first, divide once.
    int heightFraction(int n, int d) const;
    int widthFraction(int n, int d) const;
    int aspectAdjustedVertFraction(int n, int d) const;
    int aspectAdjustedHorizFraction(int n, int d) const;
    int fractionOf(int v, int n, int d) const;
    bool insideCircleHeight(int x, int y, int cx, int cy, int r) const;
    // The samples x in [first, end) of line y for which insideCircleHeight
    // holds, as [begin, end) (empty when begin == end): one run, because the
    // stretched horizontal position grows with x. Found by bisection, so a
    // whole line costs a few dozen tests instead of one per sample.
    struct SampleRun {
        int begin = 0;
        int end = 0;
        bool holds(int x) const { return begin <= x && x < end; }
    };
    SampleRun circleRunHeight(int y, int cx, int cy, int r, int first, int end) const;
    bool insideCircleWidth(int x, int y, int cx, int cy, int r) const;  // not used by the card
    double freqToPixels(double hz) const;

    // Edge transitions. init gives every pattern the standard edge: a 25 ns
    // rise time at the HD sample clock.
    static constexpr double kStandardRiseTimeNs = 25.0;
    static constexpr double kStandardClockMHz = 74.25;
    static void calculateTransition(std::deque<double>& table, double riseTimeNs, double clockMHz);
    void calculateTransition(double riseTimeNs, double clockMHz);
    // Not used by the card, which shapes its finished lines itself.
    void noRiseTime();
    void edge(Pixel& current, int steps, Pixel target, int i);
    void edgeInv(Pixel& current, int steps, Pixel target, int i);
    bool vertLineAt(int position, int x, int lineWidth, Pixel left, Pixel line, Pixel right, Pixel& out);

    // Drawing primitives. The variable arguments are `count` pointers to Pixel.
    int bars(int x, Pixel& out, int count, int totalWidth, ...);
    int barsLayered(int x, Pixel& out, int count, int totalWidth, ...);  // not used by the card
    int barsLayered(int x, Pixel& out, int count, int* widths, ...);
    Pixel squareWave(int x, int period, Pixel& a, Pixel& b);
    int grid(int x, int y, int pitch, int lineWidth, Pixel& out, Pixel lineColour) const;
    int gridVertical(int x, int y, int pitch, int lineWidth, Pixel& out, Pixel lineColour) const;
    int gridFlipVphase(int x, int y, int pitch, int lineWidth, Pixel& out, Pixel lineColour);

    // Line renderers: the 16-bit image form, the TIFF form and the instrument
    // form. A pm5544 run streams its rows through the same row producers
    // (ImageRows, TiffRows, makeInstrumentBlocks) instead of these whole-frame
    // forms, which pm5544-inspect and patterns of other authors use.
    bool run_body(int commandLineValue, int width, int height, unsigned short* buffer);
    bool run_body(int commandLineValue, int width, int& height, std::vector<std::pair<int, int>>& repeats,
                  unsigned char* buffer);
    bool run_body(int commandLineValue, int width, int height, std::vector<std::pair<int, int>>& repeats,
                  VantoKeploPatternFile& file);

    // Overlay layers (not used by the card).
    int newLayer();
    uint32_t getOverlay(unsigned layer, int xOrigin, int y, int x, int rowLength);

    // Text layer. render_text() is called on every run, and draws nothing
    // when there is no layer, as on the card; the rest is not used by the card.
    int defineFont(const char* family);
    int textCursor(int x, int y);
    int textAlign(TextSlug::horizAlign h, TextSlug::vertAlign v);
    int textSize(int size);
    int setText(const char* text);
    PangoFontDescription* getFont(int fontIndex, int canvasHeight, int size, int& pixelSize);
    void calcSlug(int canvasHeight, PangoLayout* layout, TextSlug* slug, bool isLast, bool vertical);
    int renderSlug(cairo_t* cr, PangoLayout* layout, int x, int y, TextSlug* slug, double outlineWidth, bool vertical);
    void rendertextInternal(cairo_t* cr, int width, int height);
    int render_text(int width, int height);

private:
    // Samples a layer holds: the canvas's, or four times as many in quadrant
    // mode (the whole picture at twice the output size).
    std::size_t layerSamples() const;
};
