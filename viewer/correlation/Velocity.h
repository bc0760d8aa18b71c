#pragma once
// The speed of sound in a water-filled pipe: computed from the wall (elastic modulus and
// thickness), measured from a noise made at a known place, and the leak interval that a velocity
// uncertainty and one graph column of delay leave. No Qt: the viewer and the command line share it.

#include <string>
#include <vector>

#include "correlation/CorrelationRecord.h"

namespace vexlan {
class MaterialTables;
}

namespace vexlan::velocity {

struct WaterProperties {
    double bulkModulusPa = 2.19e9;
    double densityKgM3 = 998;
};

struct WallMaterial {
    std::string name;           // lower case, as the list names it
    std::string materialClass;  // metal, cement, plastic
    double modulusPa = 0;
    std::string source;
};

struct MaterialClass {
    std::string name;
    double spread = 0;  // relative velocity uncertainty, 0.05 = 5 %
    std::string source;
};

struct MaterialList {
    WaterProperties water;
    std::vector<WallMaterial> materials;
    std::vector<MaterialClass> classes;

    const WallMaterial* Find(const std::string& name) const;  // letter case ignored
    double SpreadOf(const WallMaterial& material) const;      // 0 when the class is unknown
};

// Reads the list file; false with a message (which names the line) when it cannot be used.
bool LoadMaterialList(const std::string& path, MaterialList& out, std::string& error);
// The list shipped with the program, in its data folder.
std::string DefaultMaterialListPath();

// Outcome of each computation: a value, or the id of the text saying why there is none.
struct Outcome {
    double value = 0;
    int errorId = 0;
    bool ok() const { return errorId == 0; }
};

// c = sqrt(K / rho) / sqrt(1 + K D / (E e)), D the internal diameter. The pipe is given by its
// outside diameter and either its wall thickness or its SDR (outside diameter over wall), as
// pipes are sold; internal diameter = outside − 2 wall.
Outcome WaveSpeed(const WaterProperties& water, double modulusPa, double outsideDiameterMm, double wallMm);
Outcome WallFromSdr(double outsideDiameterMm, double sdr);

// One segment of the pipe as the leak position uses it.
struct Segment {
    double length = 0;    // m
    double velocity = 0;  // m/s
};

// Leak distance from sensor 1 for a delay (positive: nearer sensor 2), over the segments.
double LeakPosition(const std::vector<Segment>& pipe, double delay);
// The delay a source at distance x from sensor 1 gives with the pipe's velocities.
double DelayOfPosition(const std::vector<Segment>& pipe, double x);

// Where the known noise was made.
enum class SourcePlace { AtDistance, BeyondSensor1, BeyondSensor2 };

// The factor (new over stored) to apply to every segment's velocity so that the measured delay
// puts the source where it was made. minimumDelay: delays shorter than this (one graph column)
// are refused as too close to zero to measure a velocity from.
Outcome KnownSourceFactor(const std::vector<Segment>& pipe, SourcePlace place, double distance, double delay,
                          double minimumDelay);

struct Interval {
    double from = 0;  // m from sensor 1
    double to = 0;
};
// The leak's interval from a delay known to ± half a column and velocities known to ± spread.
Interval PositionInterval(const std::vector<Segment>& pipe, double delay, double columnDelay, double spread);

// Several recordings of one leak, sensor 1 kept in place, sensor 2 moved: the delay is linear in
// the pipe length, tau = (2x − L) / v. Least squares for v and x.
struct FitResult {
    double velocity = 0;
    double leakDistance = 0;  // m from sensor 1
    double rmsResidual = 0;   // s
    int errorId = 0;
};
FitResult FitVelocityAndLeak(const std::vector<double>& pipeLengths, const std::vector<double>& delays);

// The record's used segments, the delay one graph column spans, and the velocity spread of its
// materials (the largest of the used segments' classes; the largest of all when a material is
// not in the list, so that the interval is never narrower than it should be).
std::vector<Segment> PipeOf(const CorrelationRecord& record);
double ColumnDelay(const CorrelationRecord& record);
double PipeSpread(const CorrelationRecord& record, const MaterialTables& names, const MaterialList& list);
// The delay of the peak in a graph column at the full sample rate; NaN when there is none.
double MeasureDelay(CorrelationRecord& record, int column);
// Multiplies every used segment's velocity by factor.
void ApplyFactor(CorrelationRecord& record, double factor);

}  // namespace vexlan::velocity
