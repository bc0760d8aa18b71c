#pragma once
// The pipe as the pressure wave sees it: where each segment lies, how long the wave takes
// between two points, how much the walls damp it on the way, and how much a joint reflects.
// Positions are metres from sensor 1; points beyond a sensor lie on a continuation of the end
// segment there (a pump on the main behind the hydrant the sensor sits on).

#include <vector>

#include "testsupport/generator/GeneratorSettings.h"

namespace vexlan::kedgen {

struct PipeGeometry {
    std::vector<SegmentSpec> segments;  // velocities filled in
    double totalLength = 0;
    double totalTravelTime = 0;
    double leakDistance = 0;  // m from sensor 1
    double delay = 0;         // s, t1 - t2 = 2 t1 - T for a point on the pipe
};

PipeGeometry ResolvePipe(const GeneratorSettings& settings);

// The segment a point lies in (the end segment for points beyond a sensor).
const SegmentSpec& SegmentAt(const PipeGeometry& pipe, double x);

// Travel time of the wave between two points, in either order.
double TravelTime(const PipeGeometry& pipe, double a, double b);

// The wave's delay at sensor 1 minus that at sensor 2 for a source at x: 2 t1 - T on the
// pipe, -T before sensor 1 and +T beyond sensor 2.
double SourceDelay(const PipeGeometry& pipe, double x);

// Damping exponent per hertz between two points: the amplitude falls as exp(-f * loss).
double PathLossPerHz(const PipeGeometry& pipe, double a, double b);

// Wall damping of one material, nepers per hertz and metre.
double WallLossPerHzMetre(int material);

// Position of the joint after segment `joint` (1-based) and the pressure reflection a wave
// meets there when it arrives from segment `joint` (from the sensor 1 side).
double JointPosition(const PipeGeometry& pipe, int joint);
double JointReflection(const PipeGeometry& pipe, int joint);

}  // namespace vexlan::kedgen
