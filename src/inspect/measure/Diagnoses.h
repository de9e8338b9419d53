#pragma once

#include <string>
#include <vector>

#include "inspect/measure/ColourBarsMeasure.h"
#include "inspect/measure/MeasureCanvas.h"
#include "inspect/measure/Registration.h"

// The known mistakes of a chain that the colour bars show: each is a mapping
// of the card's codes to what such a chain makes of them. A mistake is named
// when it explains the measured bars far better than no mistake does; a
// capture identical to the card names none.
std::vector<std::string> diagnose(const ColourBarsMeasure& bars, const MeasureCanvas& canvas);

// A capture that no shift searched makes like the card: what is said of it
// first, since no other figure then describes the chain. Empty otherwise.
std::string diagnoseRegistration(const Registration& registration);
