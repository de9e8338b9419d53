#include "inspect/measure/Measurement.h"

#include "inspect/measure/CardReference.h"
#include "inspect/measure/Diagnoses.h"
#include "inspect/measure/FlatAreas.h"
#include "inspect/measure/PsnrMeasure.h"

Measurement measureCapture(const MeasureFrame& capture, const CardReference& reference, const MeasureCanvas& canvas)
{
    const MeasureFrame& card = reference.frame;
    const PhilipsPm5544Spec& pattern = *reference.card;
    Measurement m;
    m.canvas = canvas;
    m.registration = measureRegistration(capture, card, canvas);
    const WholeShift shift{m.registration.wholeDx(), m.registration.wholeDy()};
    const Clearance clearance = Clearance::forHeight(card.height);
    const std::vector<FlatSpan> spans = findFlatSpans(card, pattern, clearance);
    m.levels = measureLevels(capture, card, spans, shift, canvas);
    m.bars = measureColourBars(capture, card, spans, shift, canvas);
    m.frequencyResponse = measureFrequencyResponse(capture, card, pattern, m.registration, canvas, clearance);
    m.chromaDelay = measureChromaDelay(capture, card, spans, m.registration, canvas, clearance);
    m.noise = measureNoise(capture, card, spans, shift, canvas);
    m.psnrDb = measurePsnr(capture, card, canvas);
    m.diagnoses = diagnose(m.bars, canvas);
    const std::string unregistered = diagnoseRegistration(m.registration);
    if (!unregistered.empty()) m.diagnoses.insert(m.diagnoses.begin(), unregistered);
    return m;
}
