#pragma once

#include <cstdint>

#include "inspect/FrameShape.h"
#include "inspect/SignalModel.h"

// One pixel of an 8-bit sR'G'B' preview.
struct Rgb8 {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
};

// Turns the codes of one pixel into the colour a viewer should see, by the
// signal model: Y'CbCr decoded with its matrix and range, X'Y'Z' converted
// back to R'G'B', and R'G'B' shown as it is.
//
// HDR signals follow one rule: the transfer function is undone to light in
// which 1.0 is the card's nominal white (100 cd/m2 for PQ; 100 cd/m2 on the
// 1000 cd/m2 display HLG is rendered for; 90 % reflectance for S-Log3, after
// undoing the live OOTF for the live forms), and clipped there. The plain
// forms carry the card's R'G'B' through the curve, so what comes back is shown
// as it is; the mapped forms carry Rec. 2020 light, which is converted to
// Rec. 709 and given the 1/2.4 power.
class PreviewDecoder {
public:
    PreviewDecoder(const SignalModel& model, int codeBits);

    // Codes in the frame's component order: Cr or R, Y' or G, Cb or B.
    Rgb8 operator()(int crOrR, int yOrG, int cbOrB) const;

    // A row of samples of this shape into three bytes per pixel; pixels
    // past the present ones are black.
    void decodeRow(const FrameShape& shape, const uint16_t* row, uint8_t* rgb) const;

    struct Rgb {
        double r;
        double g;
        double b;
    };
    // The R'G'B' signal the codes carry, 1.0 at white (before any HDR rule).
    Rgb signal(int crOrR, int yOrG, int cbOrB) const;

private:
    enum class Transfer { None, Pq, Hlg, SLog3, SLog3Live };

    Rgb display(const Rgb& signal) const;

    SignalModel model_;
    int codeBits_;
    Transfer transfer_ = Transfer::None;
    bool mapped_ = false;
    double kr_ = 0.2126;
    double kb_ = 0.0722;
    double xyzToRgb_[3][3] = {};
};
