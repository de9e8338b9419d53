#pragma once

#include <string>

#include "settings/RunSettings.h"

class PatternSpec;

// Why a pattern cannot be rendered with these settings, in the words pm5544
// prints after "Error: " (and pm5544-inspect after "pm5544 would not render
// with ..."); empty when it can. Checked in this order: the bit depth, the
// size, the aspect, then whether the pattern can draw that size at that
// aspect (PatternSpec::drawableAt, with the aspect in lowest terms and the
// size doubled in quadrant mode, as init takes them).
std::string refusalOf(const RunSettings& settings, const PatternSpec& pattern);

// True when only the bit depth is refused (pattern files report it in their own words).
bool bitDepthRefused(const RunSettings& settings);
