#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "inspect/FrameShape.h"
#include "patterns/pm5544/philips-PM5544-2si-num-new.h"

// A file's rows against the reference rows, sample by sample, the
// differences gathered by the part of the card each pixel belongs to. Rows are
// added one at a time, so neither picture is ever held whole.
class RegionComparison {
public:
    static constexpr int kMaxComponents = FrameShape::kMaxComponents;

    struct Tally {
        long long pixels = 0;
        long long differing = 0;                       // pixels with any component different
        std::array<double, kMaxComponents> largest{};  // in code values of the frame's depth
        std::array<double, kMaxComponents> sum{};      // of the differences of the differing pixels
        void add(const Tally& other);
    };

    // The shapes must have the same layout and width.
    RegionComparison(const FrameShape& file, const FrameShape& reference, const PhilipsPm5544Spec& card);

    // Row y of both; afterwards differs(x) tells which of its pixels differ.
    void addRow(int y, const uint16_t* fileRow, const uint16_t* referenceRow);
    // Reference rows the file does not hold: their pixels are counted, not compared.
    void addMissingRows(long long rows);

    const Tally& region(CardRegion r) const { return regions_[static_cast<std::size_t>(r)]; }
    Tally total() const;
    long long notStored() const { return notStored_; }
    bool identical() const { return total().differing == 0 && notStored_ == 0; }
    bool differs(int x) const { return differs_[static_cast<std::size_t>(x)] != 0; }

    // The table of regions, one line each, with the component names given.
    void print(std::FILE* out, const char* const componentNames[], const PhilipsPm5544Spec& card) const;

private:
    FrameShape file_;
    FrameShape reference_;
    const PhilipsPm5544Spec& card_;
    int components_ = 0;
    double step_ = 1;
    std::array<Tally, kCardRegionCount> regions_{};
    long long notStored_ = 0;
    std::vector<uint8_t> differs_;
};
