#pragma once

#include <array>
#include <string>
#include <vector>

#include "inspect/measure/ChromaDelay.h"
#include "inspect/measure/ColourBarsMeasure.h"
#include "inspect/measure/FrequencyResponse.h"
#include "inspect/measure/LevelsMeasure.h"
#include "inspect/measure/MeasureCanvas.h"
#include "inspect/measure/NoiseMeasure.h"
#include "inspect/measure/Registration.h"

// Everything --measure reports about one capture against the card.
struct Measurement {
    MeasureCanvas canvas;
    Registration registration;
    LevelsMeasure levels;
    ColourBarsMeasure bars;
    std::vector<GratingResponse> frequencyResponse;
    ChromaDelay chromaDelay;
    NoiseMeasure noise;
    std::array<double, MeasureFrame::kPlanes> psnrDb{};
    std::vector<std::string> diagnoses;
};

struct CardReference;

// Every measure of the capture against the card (of the capture's size).
Measurement measureCapture(const MeasureFrame& capture, const CardReference& card, const MeasureCanvas& canvas);
