// The document's recomputation and cursor moves over the correlation engine.

#include <algorithm>
#include <cstring>
#include <memory>

#include "correlation/BlockDecoder.h"
#include "correlation/CVexlanDoc.h"

namespace vexlan {

namespace {

// The engine and its result are large; each computation gets them fresh from the heap, once,
// outside the computation's loops.
struct Computation {
    Computation(CorrelationRecord& record) : engine(record, &DecodeBlock) {}
    CCorrelationEngine engine;
    CorrelationResult result;
};

std::uint16_t GraphColumn(int column) { return std::uint16_t(std::clamp(column, 0, kGraphWidth - 1)); }

}  // namespace

bool CVexlanDoc::RecomputeCorrelation() {
    previousCursorColumn_ = cursorColumn_;
    overlay_.reset();
    auto computation = std::make_unique<Computation>(record_);
    computation->engine.ComputeCorrelation(computation->result, removeStart_, removeEnd_);
    computeProblem_ = FindComputeProblem(record_);
    const CorrelationResult& r = computation->result;
    std::memcpy(displayTrace_, r.displayTrace, sizeof displayTrace_);
    std::memcpy(spectrum1Db_, r.spectrum1Db, sizeof spectrum1Db_);
    std::memcpy(spectrum2Db_, r.spectrum2Db, sizeof spectrum2Db_);
    windowCentre_ = r.windowCentre;
    samplesPerColumn_ = r.samplesPerColumn;
    cursorColumn_ = GraphColumn(r.peakColumn);
    // On the same engine, so that the delay is that of the strongest sample in the peak column.
    CursorResult cursor;
    computation->engine.ComputeAtColumn(cursorColumn_, cursor);
    timeDelay_ = cursor.timeDelay;
    totalTravelTime_ = cursor.totalTravelTime;
    distanceFromSensor1_ = cursor.distanceFromSensor1;
    distanceFromSensor2_ = cursor.distanceFromSensor2;
    return true;
}

void CVexlanDoc::ShowOverlay(const TraceOverlay& overlay) {
    overlay_ = std::make_unique<TraceOverlay>(overlay);
    std::memcpy(displayTrace_, overlay.displayTrace, sizeof displayTrace_);
    cursorColumn_ = GraphColumn(overlay.cursorColumn);
    RunCursorComputation();
}

void CVexlanDoc::RunCursorComputation() {
    auto engine = std::make_unique<CCorrelationEngine>(record_, &DecodeBlock);
    CursorResult cursor;
    engine->ComputeAtColumn(cursorColumn_, cursor);
    if (overlay_ && computeProblem_ == ComputeProblem::None) {
        // The overlay's own delay at the column; the pipe turns it into distances as usual.
        cursor.timeDelay = overlay_->columnDelay[cursorColumn_];
        if (engine->HasPipeForDistances()) {
            cursor.distanceFromSensor1 = engine->LeakDistance(cursor.timeDelay);
            cursor.distanceFromSensor2 = engine->TotalLength() - cursor.distanceFromSensor1;
        }
    }
    timeDelay_ = cursor.timeDelay;
    totalTravelTime_ = cursor.totalTravelTime;
    distanceFromSensor1_ = cursor.distanceFromSensor1;
    distanceFromSensor2_ = cursor.distanceFromSensor2;
}

void CVexlanDoc::MoveCursor(int column) {
    previousCursorColumn_ = cursorColumn_;
    cursorColumn_ = GraphColumn(column);
    RunCursorComputation();
}

void CVexlanDoc::StepCursor(int step) {
    previousCursorColumn_ = cursorColumn_;
    cursorColumn_ = GraphColumn(int(cursorColumn_) + (step > 0) - (step < 0));
    RunCursorComputation();
}

}  // namespace vexlan
