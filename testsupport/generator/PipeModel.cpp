#include "testsupport/generator/PipeModel.h"

#include <algorithm>
#include <cmath>

namespace vexlan::kedgen {

namespace {

// Integrates per-metre quantities of the segments over [a, b], extending the end segments
// beyond the sensors.
template <typename PerMetre>
double Integrate(const PipeGeometry& pipe, double a, double b, PerMetre perMetre) {
    if (a > b) std::swap(a, b);
    double sum = 0;
    if (a < 0) sum += (std::min(b, 0.0) - a) * perMetre(pipe.segments.front());
    if (b > pipe.totalLength) sum += (b - std::max(a, pipe.totalLength)) * perMetre(pipe.segments.back());
    double start = 0;
    for (const SegmentSpec& s : pipe.segments) {
        const double end = start + double(s.length);
        sum += std::max(0.0, std::min(b, end) - std::max(a, start)) * perMetre(s);
        start = end;
    }
    return sum;
}

// Acoustic impedance of the water column, up to the density: wave speed over bore area.
double Impedance(const SegmentSpec& s) { return double(s.velocity) / (double(s.diameter) * double(s.diameter)); }

}  // namespace

PipeGeometry ResolvePipe(const GeneratorSettings& settings) {
    PipeGeometry pipe;
    pipe.segments = settings.segments;
    for (SegmentSpec& s : pipe.segments) {
        if (s.velocity == 0) s.velocity = TypicalVelocity(s.material);
        pipe.totalLength += double(s.length);
        pipe.totalTravelTime += double(s.length) / double(s.velocity);
    }
    pipe.leakDistance = settings.leakDistance < 0 ? pipe.totalLength / 2 : double(settings.leakDistance);
    pipe.delay = SourceDelay(pipe, pipe.leakDistance);
    return pipe;
}

const SegmentSpec& SegmentAt(const PipeGeometry& pipe, double x) {
    double start = 0;
    for (const SegmentSpec& s : pipe.segments) {
        start += double(s.length);
        if (x <= start) return s;
    }
    return pipe.segments.back();
}

double TravelTime(const PipeGeometry& pipe, double a, double b) {
    return Integrate(pipe, a, b, [](const SegmentSpec& s) { return 1.0 / double(s.velocity); });
}

double SourceDelay(const PipeGeometry& pipe, double x) {
    return TravelTime(pipe, x, 0) - TravelTime(pipe, x, pipe.totalLength);
}

double WallLossPerHzMetre(int material) {
    // A viscoelastic plastic wall takes energy from every cycle, so the loss grows with
    // frequency and is some fifteen times that of an iron or steel wall.
    return IsPlasticMaterial(material) ? 1.5e-4 : 1.0e-5;
}

double PathLossPerHz(const PipeGeometry& pipe, double a, double b) {
    return Integrate(pipe, a, b, [](const SegmentSpec& s) { return WallLossPerHzMetre(s.material); });
}

double JointPosition(const PipeGeometry& pipe, int joint) {
    double x = 0;
    for (int i = 0; i < joint && i < int(pipe.segments.size()); ++i) x += double(pipe.segments[std::size_t(i)].length);
    return x;
}

double JointReflection(const PipeGeometry& pipe, int joint) {
    const double from = Impedance(pipe.segments[std::size_t(joint - 1)]);
    const double to = Impedance(pipe.segments[std::size_t(joint)]);
    return (to - from) / (to + from);
}

}  // namespace vexlan::kedgen
