#include "correlation/Velocity.h"
#include "res/StringIds.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>

#include "correlation/BlockDecoder.h"
#include "correlation/CCorrelationEngine.h"
#include "correlation/CVexlanDoc.h"  // ProgramDataDirectory
#include "correlation/MaterialTables.h"

namespace vexlan::velocity {

namespace {

// Names as the material list writes them ("Ductile Iron") or as typed ("ductile-iron").
std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return c == ' ' || c == '_' ? '-' : char(std::tolower(c)); });
    while (!s.empty() && s.back() == '-') s.pop_back();
    return s;
}

bool Positive(double v) { return std::isfinite(v) && v > 0; }

double TotalLength(const std::vector<Segment>& pipe) {
    double total = 0;
    for (const Segment& s : pipe) total += s.length;
    return total;
}

double TravelTime(const std::vector<Segment>& pipe) {
    double t = 0;
    for (const Segment& s : pipe) t += s.length / s.velocity;
    return t;
}

bool Usable(const std::vector<Segment>& pipe) {
    return !pipe.empty() && std::all_of(pipe.begin(), pipe.end(),
                                        [](const Segment& s) { return Positive(s.length) && Positive(s.velocity); });
}

std::string RestOfLine(std::istringstream& in) {
    std::string rest;
    std::getline(in >> std::ws, rest);
    return rest;
}

}  // namespace

const WallMaterial* MaterialList::Find(const std::string& name) const {
    const std::string wanted = Lower(name);
    for (const WallMaterial& m : materials)
        if (m.name == wanted) return &m;
    return nullptr;
}

double MaterialList::SpreadOf(const WallMaterial& material) const {
    for (const MaterialClass& c : classes)
        if (c.name == material.materialClass) return c.spread;
    return 0;
}

bool LoadMaterialList(const std::string& path, MaterialList& out, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    MaterialList list;
    int lineNumber = 0;
    for (std::string line; std::getline(file, line);) {
        ++lineNumber;
        std::istringstream in(line);
        std::string kind;
        if (!(in >> kind) || kind[0] == '#') continue;
        bool good = false;
        if (kind == "water") {
            good = bool(in >> list.water.bulkModulusPa >> list.water.densityKgM3) &&
                   Positive(list.water.bulkModulusPa) && Positive(list.water.densityKgM3);
            list.water.bulkModulusPa *= 1e9;
        } else if (kind == "class") {
            MaterialClass c;
            double percent = 0;
            good = bool(in >> c.name >> percent) && percent >= 0 && percent < 100;
            c.spread = percent / 100;
            c.source = RestOfLine(in);
            list.classes.push_back(c);
        } else if (kind == "material") {
            WallMaterial m;
            double gpa = 0;
            good = bool(in >> m.name >> m.materialClass >> gpa) && Positive(gpa);
            m.name = Lower(m.name);
            m.modulusPa = gpa * 1e9;
            m.source = RestOfLine(in);
            list.materials.push_back(m);
        }
        if (!good) {
            error = path + ", line " + std::to_string(lineNumber) + ": cannot read \"" + line + "\"";
            return false;
        }
    }
    out = std::move(list);
    return true;
}

std::string DefaultMaterialListPath() { return ProgramDataDirectory() + "pipe-moduli.txt"; }

Outcome WaveSpeed(const WaterProperties& water, double modulusPa, double outsideDiameterMm, double wallMm) {
    if (!Positive(outsideDiameterMm) || !Positive(wallMm)) return {0, string_id::kMsgBadDimensions};
    if (!Positive(modulusPa)) return {0, string_id::kMsgBadModulus};
    const double internal = outsideDiameterMm - 2 * wallMm;
    if (!(internal > 0)) return {0, string_id::kMsgWallTooThick};
    const double k = water.bulkModulusPa;
    const double free = std::sqrt(k / water.densityKgM3);
    return {free / std::sqrt(1 + k * internal / (modulusPa * wallMm)), 0};
}

Outcome WallFromSdr(double outsideDiameterMm, double sdr) {
    if (!Positive(outsideDiameterMm)) return {0, string_id::kMsgBadDimensions};
    if (!(std::isfinite(sdr) && sdr > 2)) return {0, string_id::kMsgBadSdr};
    return {outsideDiameterMm / sdr, 0};
}

double LeakPosition(const std::vector<Segment>& pipe, double delay) {
    // Walk from sensor 1: at x the delay is travel(0, x) − travel(x, L), rising by 2 dx / v.
    double tau = -TravelTime(pipe);
    double x = 0;
    for (const Segment& s : pipe) {
        const double rise = 2 * s.length / s.velocity;
        if (delay <= tau + rise) return x + std::max(0.0, delay - tau) * s.velocity / 2;
        tau += rise;
        x += s.length;
    }
    return x;
}

double DelayOfPosition(const std::vector<Segment>& pipe, double x) {
    double tau = -TravelTime(pipe);
    double at = 0;
    for (const Segment& s : pipe) {
        const double part = std::clamp(x - at, 0.0, s.length);
        tau += 2 * part / s.velocity;
        at += s.length;
    }
    return tau;
}

Outcome KnownSourceFactor(const std::vector<Segment>& pipe, SourcePlace place, double distance, double delay,
                          double minimumDelay) {
    if (!Usable(pipe)) return {0, string_id::kMsgNoPipe};
    double expected = 0;  // the delay the stored velocities give for the source
    switch (place) {
    case SourcePlace::AtDistance:
        if (!(std::isfinite(distance) && distance >= 0 && distance <= TotalLength(pipe)))
            return {0, string_id::kMsgOutsidePipe};
        expected = DelayOfPosition(pipe, distance);
        break;
    case SourcePlace::BeyondSensor1: expected = -TravelTime(pipe); break;
    case SourcePlace::BeyondSensor2: expected = TravelTime(pipe); break;
    }
    // Scaling every velocity by f scales every delay by 1/f, so f = expected / measured.
    if (std::fabs(expected) < 0.02 * TravelTime(pipe)) return {0, string_id::kMsgNoDelayAtSource};
    if (!std::isfinite(delay) || std::fabs(delay) < std::max(minimumDelay, 1e-9))
        return {0, string_id::kMsgDelayNearZero};
    if ((expected > 0) != (delay > 0)) return {0, string_id::kMsgWrongSign};
    return {expected / delay, 0};
}

Interval PositionInterval(const std::vector<Segment>& pipe, double delay, double columnDelay, double spread) {
    if (!Usable(pipe)) return {};
    Interval out{TotalLength(pipe), 0};
    for (double f : {1 - spread, 1 + spread}) {
        std::vector<Segment> scaled = pipe;
        for (Segment& s : scaled) s.velocity *= f;
        for (double t : {delay - columnDelay / 2, delay + columnDelay / 2}) {
            const double x = LeakPosition(scaled, t);
            out.from = std::min(out.from, x);
            out.to = std::max(out.to, x);
        }
    }
    return out;
}

FitResult FitVelocityAndLeak(const std::vector<double>& lengths, const std::vector<double>& delays) {
    FitResult r;
    const std::size_t n = std::min(lengths.size(), delays.size());
    if (n < 2) {
        r.errorId = string_id::kMsgTooFewRecordings;
        return r;
    }
    double meanL = 0, meanT = 0;
    for (std::size_t i = 0; i < n; ++i) {
        meanL += lengths[i] / double(n);
        meanT += delays[i] / double(n);
    }
    double sll = 0, slt = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sll += (lengths[i] - meanL) * (lengths[i] - meanL);
        slt += (lengths[i] - meanL) * (delays[i] - meanT);
    }
    if (!(sll > 1e-6 * std::max(1.0, meanL * meanL))) {
        r.errorId = string_id::kMsgTooFewRecordings;
        return r;
    }
    // tau = a + b L with b = −1/v and a = 2x/v.
    const double b = slt / sll;
    const double a = meanT - b * meanL;
    if (!(b < 0) || !std::isfinite(b)) {
        r.errorId = string_id::kMsgNoPositiveFit;
        return r;
    }
    r.velocity = -1 / b;
    r.leakDistance = a * r.velocity / 2;
    double squares = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double e = delays[i] - (a + b * lengths[i]);
        squares += e * e;
    }
    r.rmsResidual = std::sqrt(squares / double(n));
    return r;
}

std::vector<Segment> PipeOf(const CorrelationRecord& record) {
    std::vector<Segment> pipe;
    for (const PipeSegment& s : record.segments) {
        if (s.inUse != 1) break;
        pipe.push_back({s.length, s.velocity});
    }
    return pipe;
}

double ColumnDelay(const CorrelationRecord& record) {
    // The pipe decides the joined windows and the samples per column, as the recomputation does.
    auto copy = std::make_unique<CorrelationRecord>(record);
    auto engine = std::make_unique<CCorrelationEngine>(*copy, &DecodeBlock);
    engine->SetUpPipe();
    return double(2 * engine->AssembledSideBlocks() + 1) * engine->SamplesPerColumn() / record.sampleRate;
}

double PipeSpread(const CorrelationRecord& record, const MaterialTables& names, const MaterialList& list) {
    double widest = 0, used = 0;
    for (const MaterialClass& c : list.classes) widest = std::max(widest, c.spread);
    for (const PipeSegment& s : record.segments) {
        if (s.inUse != 1) break;
        const WallMaterial* m = list.Find(names.MaterialName(s.material));
        if (!m) return widest;
        used = std::max(used, list.SpreadOf(*m));
    }
    return used;
}

double MeasureDelay(CorrelationRecord& record, int column) {
    auto engine = std::make_unique<CCorrelationEngine>(record, &DecodeBlock);
    return engine->FullResolutionDelay(column);
}

void ApplyFactor(CorrelationRecord& record, double factor) {
    for (PipeSegment& s : record.segments) {
        if (s.inUse != 1) break;
        s.velocity = float(s.velocity * factor);
    }
}

}  // namespace vexlan::velocity
