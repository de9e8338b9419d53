#pragma once

#include <cstdint>

#include "tools/ColourSpace.h"

// One sample: three colour code values and an alpha value in a colour space.
// For Y'CbCr axes the fields hold Cb, Y', Cr; for R'G'B' axes B sits on Cb,
// G on Y' and R on Cr. Constructors take the values in the order Y'/G, Cb/B, Cr/R.
class Pixel : public ColourSpace {
public:
    uint16_t cb;
    uint16_t y;
    uint16_t cr;
    uint16_t alpha;

    // Which of three values were negative before a transfer function took
    // their magnitudes, so that the signs can be put back afterwards.
    struct AbsoluteRGB {
        bool redNegative = false;
        bool greenNegative = false;
        bool blueNegative = false;
    };

    Pixel();
    Pixel(int y, int cb, int cr);
    Pixel(int y, int cb, int cr, PatternGen::colorAxes_e axes);
    Pixel(int y, int cb, int cr, PatternGen::colorAxes_e axes, int bitDepth);
    Pixel(int y, int cb, int cr, PatternGen::colorAxes_e axes, int bitDepth, bool fullRange);

    // Arithmetic (about black, or about the chroma mid-point for colour
    // difference) and reduction to fewer bits (PixelArithmetic.cpp).
    Pixel scale(int numerator, int denominator) const;
    Pixel truncateTo(int bitDepth) const;
    Pixel roundTo(int bitDepth) const;
    Pixel blend(double lumaWeight, double chromaWeight, const Pixel& other) const;
    bool printDiff(const char* prefix, const Pixel& reference) const;

    // Kept for patterns of other authors; not used by the card.
    Pixel operator+(const Pixel& other) const;
    Pixel& operator+=(const Pixel& other);
    Pixel scale(double factor) const;
    Pixel scaleLumChrom(double lumaFactor, double chromaFactor) const;
    Pixel scaleWithClip(int numerator, int denominator) const;
    Pixel scaleWithGamma(int numerator, int denominator) const;  // in linear light, by the gamma type
    Pixel subBlack() const;
    Pixel noAlpha() const;
    Pixel superWhite() const;
    Pixel legalise() const;
    void print(const char* prefix) const;

    // Conversions (Pixel.cpp); convertTo is the one the renderers call.
    Pixel convertTo(PatternGen::colorAxes_e toSpace) const;
    Pixel convertFromYCbCr2020(PatternGen::colorAxes_e toSpace) const;
    Pixel convertRGB709toYCbCr2020(double R, double G, double B) const;
    void assignRGBValues(double R, double G, double B);
    void assignRGB219Values(double R, double G, double B);
    void assignYCbCr601Values(double R, double G, double B);
    void assignYCbCr709Values(double R, double G, double B);
    void assignYCbCr2020Values(double R, double G, double B);

    // HDR transfer functions (TransferFunctions.cpp) and conversions (Pixel.cpp).
    static double applyPqInverseEOTF(double x);
    static double applyHlgOETF(double e);
    static double applySLog3InverseOOTF(double x);
    static double applySLog3OETFAndRestoreAbsolutisedInput(double x, bool negative);
    static AbsoluteRGB absolutiseRgbInput(double& R, double& G, double& B);
    static void restoreAbsolutisedRgbInput(const AbsoluteRGB& flags, double& R, double& G, double& B);
    void applyMatrixRGB709ValuesIn2020(double& R, double& G, double& B) const;
    Pixel convertRGB709toYCbCrPQ(double R, double G, double B, PatternGen::colorAxes_e pqColourSpace) const;
    Pixel convertRGB709toYCbCrHLG(double R, double G, double B, PatternGen::colorAxes_e hlgColourSpace) const;
    Pixel convertRGB709toYCbCrSLog3(double R, double G, double B, PatternGen::colorAxes_e slog3ColourSpace) const;
    Pixel convertRGB709toRGBHDR(double R, double G, double B, PatternGen::colorAxes_e toSpace) const;
    Pixel convertYCbCrHDRToRGB(PatternGen::colorAxes_e toSpace) const;
    Pixel convertHDRFromRGB(PatternGen::colorAxes_e toSpace) const;
};
