#include "correlation/analysis/CorrelationAnalysis.h"
#include "res/StringIds.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include "correlation/analysis/BandSuggestion.h"
#include "correlation/BlockDecoder.h"
#include "correlation/analysis/PeakList.h"
#include "res/StringTable.h"

namespace vexlan::analysis {

namespace {

constexpr double kBeyondSensorShare = 0.95;     // of the travel time
constexpr double kCredibleHeight = 0.15;        // of the strongest, for a peak that is no doubt
constexpr double kUnflaggedBonus = 100;         // a best peak that is no doubt outranks any other
constexpr double kMinimumCredibleQuality = 10;  // below it a peak earns no such bonus
constexpr double kMirrorHeight = 0.5;           // of a peak, for its mirror image to count
constexpr int kRankedCandidates = 15;           // peaks the automatic ranking looks at
constexpr double kHumLineShare = 0.3;           // of the cross-spectrum's power in tones
constexpr double kNearZeroShare = 0.02;         // of the travel time, or two lobes if wider
constexpr int kSeamGuardLobes = 1;              // lobes left out either side of a window's edge

int FloorDiv(long a, int b) { return int(a >= 0 ? a / b : -((-a + b - 1) / b)); }

}  // namespace

// What an analyser keeps from one analysis to the next.
struct CorrelationAnalyser::Workspace {
    std::map<int, std::unique_ptr<InverseRealTransform>> transforms;  // by size: recordings differ
    std::vector<std::vector<double>> spareTraces;

    InverseRealTransform& TransformFor(int n) {
        std::unique_ptr<InverseRealTransform>& t = transforms[n];
        if (!t) t = std::make_unique<InverseRealTransform>(n);
        return *t;
    }
    std::vector<double> TakeTrace() {
        if (spareTraces.empty()) return {};
        std::vector<double> t = std::move(spareTraces.back());
        spareTraces.pop_back();
        return t;
    }
    void GiveBack(std::vector<double>& trace) { spareTraces.push_back(std::move(trace)); }
};

namespace {

using Workspace = CorrelationAnalyser::Workspace;

// Everything one analysis shares: the record, the recomputation, the geometry of the graph.
struct Setting {
    explicit Setting(const CorrelationRecord& r) : record(r), engine(record, &DecodeBlock) {}
    CorrelationRecord record;
    CCorrelationEngine engine;
    CorrelationResult shown;
    std::int32_t removeStart = 0, removeEnd = 0;
    int d = 1, spc = 1, lo = 0, zero = 0;
    double fs = 1, travel = 0;

    int Column(long lag) const { return std::clamp((zero + FloorDiv(lag, d) - lo) / spc, 0, kGraphWidth - 1); }
};

// One method's correlation over the lags the graph shows, and its peaks.
struct Measured {
    CorrelationMethod method = CorrelationMethod::Basic;
    std::vector<double> trace;
    int step = 1;       // lag samples per trace sample
    int zeroIndex = 0;  // trace index of zero lag
    TraceSpan span;
    int lobe = 1;
    std::vector<TracePeak> peaks;
    double noiseRms = 0;
    double score = 0;  // quality of the best peak, halved when it is flagged

    double Lag(const TracePeak& p) const { return (p.index + p.offset - zeroIndex) * step; }
};

bool NearZeroHum(const Setting& s, const Measured& m, double lag, double lineShare) {
    const double near = std::max(2.0 * m.lobe * m.step, kNearZeroShare * s.travel * s.fs);
    return lineShare >= kHumLineShare && std::abs(lag) <= near;
}

bool BeyondSensor(const Setting& s, double lag) {
    return s.travel > 0 && std::abs(lag / s.fs) >= kBeyondSensorShare * s.travel;
}

// Samples in lag of the main lobe, from the effective bandwidth of the bins used.
int LobeSamples(const LagWindows& w, const Weighting& weighting) {
    const Bins& bins = w.bins[std::size_t(w.sidePairs)];
    double sum = 0, sumSquares = 0;
    for (int i = 1; i < w.n / 2; ++i) {
        if (weighting.lines && (*weighting.lines)[std::size_t(i)]) continue;
        const double f = w.binFrequency(i);
        if (weighting.band.valid() && (f < weighting.band.low || f > weighting.band.high)) continue;
        const double a = weighting.method == CorrelationMethod::Basic
                             ? std::norm(bins[std::size_t(i)])
                             : (Magnitude(bins[std::size_t(i)]) > 0 ? 1.0 : 0.0);
        sum += a;
        sumSquares += a * a;
    }
    if (sumSquares <= 0) return 1;
    const double effectiveBins = sum * sum / sumSquares;
    // The main lobe spans 2 / bandwidth between its first zeros; peaks closer than that merge.
    return std::clamp(int(2 * w.n / effectiveBins), 1, std::max(1, w.n / 32));
}

void SetRemoved(TraceSpan& span, long first, long last) {
    constexpr long kFar = 1L << 30;  // beyond any trace, either way
    span.removedFirst = int(std::clamp(first, -kFar, kFar));
    span.removedLast = int(std::clamp(last, -kFar, kFar));
}

Measured MeasureBasic(const Setting& s, const LagWindows& w, Workspace& ws) {
    Measured m;
    m.method = CorrelationMethod::Basic;
    const int n = s.record.sampleCount;
    m.trace = ws.TakeTrace();
    m.trace.assign(s.engine.Assembled(), s.engine.Assembled() + n);
    m.step = s.d;
    m.zeroIndex = s.zero;
    m.span.first = s.lo;
    m.span.last = s.lo + kGraphWidth * s.spc;
    if (s.removeEnd != 0) SetRemoved(m.span, long(s.removeStart) + 1, s.removeEnd);
    m.lobe = std::max(1, LobeSamples(w, Weighting{CorrelationMethod::Basic, {}, nullptr, nullptr}) / s.d);
    return m;
}

Measured MeasureWeighted(const Setting& s, const LagWindows& w, const Weighting& weighting, Workspace& ws) {
    Measured m;
    m.method = weighting.method;
    m.trace = ws.TakeTrace();
    WeightedLagTrace(w, weighting, ws.TransformFor(w.n), m.trace);
    m.step = 1;
    m.zeroIndex = w.zeroLagSample();
    const int shift = m.zeroIndex;
    m.span.first = s.d * (s.lo - s.zero) + shift;
    m.span.last = s.d * (s.lo + kGraphWidth * s.spc - s.zero) + shift;
    m.lobe = LobeSamples(w, weighting);
    // Each window holds a truncated stretch of lags; the cut, and the taper that softens it, show
    // as spikes near the window's edges that weighting lifts far above the leak (a hum's skirt
    // carries them), so the tapered lags are left out of the search.
    m.span.period = w.n;
    m.span.guard = std::max(kSeamGuardLobes * m.lobe, TaperLength(w.n));
    // The removed joined-correlation samples, each d lag samples wide.
    if (s.removeEnd != 0)
        SetRemoved(m.span, shift + long(s.d) * (long(s.removeStart) + 1 - s.zero),
                   shift + long(s.d) * (long(s.removeEnd) - s.zero));
    return m;
}

double LineShare(const LagWindows& w, const std::vector<bool>& lines) {
    const Bins& bins = w.bins[std::size_t(w.sidePairs)];
    double all = 0, tones = 0;
    for (int i = 1; i < int(bins.size()); ++i) {
        const double p = std::norm(bins[std::size_t(i)]);
        all += p;
        if (lines[std::size_t(i)]) tones += p;
    }
    return all > 0 ? tones / all : 0;
}

// Finds the peaks. With rank set (automatic), peaks between the sensors and away from hum come
// first when one of them reaches kCredibleHeight of the strongest; the score then prefers a
// method whose best peak is such a peak.
void FindPeaks(const Setting& s, Measured& m, double lineShare, bool rank) {
    // Ranking looks further down the list: artefacts may fill the first places.
    m.peaks = FindTracePeaks(m.trace, m.span, m.lobe, rank ? kRankedCandidates : kMaxPeaks);
    // A source gives one peak; a peak with a mirror image at the opposite delay comes from
    // something even in lag (a hum's ripple, the cut at a window's edge).
    auto mirrored = [&](const TracePeak& p) {
        return std::any_of(m.peaks.begin(), m.peaks.end(), [&](const TracePeak& q) {
            return &q != &p && std::abs(m.Lag(p) + m.Lag(q)) <= double(m.lobe * m.step) &&
                   q.value >= kMirrorHeight * p.value;
        });
    };
    auto flagged = [&](const TracePeak& p) {
        const double lag = m.Lag(p);
        return BeyondSensor(s, lag) || NearZeroHum(s, m, lag, lineShare) || (rank && mirrored(p));
    };
    if (rank && !m.peaks.empty()) {
        const double top = m.peaks[0].value;
        auto credible = [&](const TracePeak& p) { return !flagged(p) && p.value >= kCredibleHeight * top; };
        std::vector<bool> keep(m.peaks.size());
        for (std::size_t i = 0; i < m.peaks.size(); ++i) keep[i] = credible(m.peaks[i]);
        std::vector<TracePeak> ranked;
        for (bool first : {true, false})
            for (std::size_t i = 0; i < m.peaks.size(); ++i)
                if (keep[i] == first) ranked.push_back(m.peaks[i]);
        ranked.resize(std::min<std::size_t>(ranked.size(), kMaxPeaks));
        m.peaks = std::move(ranked);
    }
    if (!m.peaks.empty()) {
        m.noiseRms = NoiseRms(m.trace, m.span, m.lobe, m.peaks);
        const double q = QualityFromClearness(MeasureClearness(m.peaks, 0, m.noiseRms));
        m.score = q + (flagged(m.peaks[0]) || q < kMinimumCredibleQuality ? 0 : kUnflaggedBonus);
    }
}

void FillDisplay(const Setting& s, const Measured& m, AnalysisResult& out) {
    double scale = 0;
    for (int i = 0; i < int(m.trace.size()); ++i)
        if (m.span.counts(i)) scale = std::max(scale, m.trace[std::size_t(i)]);
    const long perColumn = long(s.spc) * s.d;
    for (int c = 0; c < kGraphWidth; ++c) {
        const long firstLag = long(s.d) * (s.lo + c * s.spc - s.zero);
        double v = 0, strongest = 0;
        long at = firstLag + perColumn / 2;
        for (long lag = firstLag; lag < firstLag + perColumn; ++lag) {
            const long i = lag + m.zeroIndex;
            if (i < 0 || i >= long(m.trace.size()) || !m.span.counts(int(i))) continue;
            const double x = m.trace[std::size_t(i)];
            v = std::max(v, x);
            if (std::abs(x) > strongest) {
                strongest = std::abs(x);
                at = lag;
            }
        }
        out.displayTrace[std::size_t(c)] = scale > 0 ? std::uint8_t(v * kTraceTop / scale) : 0;
        out.columnDelay[std::size_t(c)] = float(double(at) / s.fs);
    }
}

void FillPeaks(Setting& s, const Measured& m, double lineShare, AnalysisResult& out) {
    double top = 0;
    for (const TracePeak& p : m.peaks) top = std::max(top, p.value);
    for (int i = 0; i < int(m.peaks.size()); ++i) {
        const TracePeak& p = m.peaks[std::size_t(i)];
        AnalysisPeak a;
        const double lag = m.Lag(p);
        a.column = s.Column(long(std::lround(lag)));
        if (m.method == CorrelationMethod::Basic) {
            // What a click on the column shows, so the list and the form agree.
            CursorResult cursor;
            s.engine.ComputeAtColumn(a.column, cursor);
            a.timeDelay = cursor.timeDelay;
        } else {
            a.timeDelay = lag / s.fs;
            out.columnDelay[std::size_t(a.column)] = float(a.timeDelay);
        }
        if (s.engine.HasPipeForDistances()) {
            a.distanceFromSensor1 = s.engine.LeakDistance(float(a.timeDelay));
            a.distanceFromSensor2 = s.engine.TotalLength() - float(a.distanceFromSensor1);
        }
        a.height = top > 0 ? p.value / top : 0;
        a.quality = QualityFromClearness(MeasureClearness(m.peaks, i, m.noiseRms));
        out.peaks.push_back(a);
    }
    out.quality = out.peaks.empty() ? 0 : out.peaks[0].quality;
    if (!m.peaks.empty()) {
        const double lag = m.Lag(m.peaks[0]);
        if (BeyondSensor(s, lag)) out.flags |= kFlagBeyondSensor;
        if (NearZeroHum(s, m, lag, lineShare)) out.flags |= kFlagCommonModeHum;
    }
}

bool AllFinite(const AnalysisResult& r) {
    for (const AnalysisPeak& p : r.peaks)
        if (!std::isfinite(p.timeDelay) || !std::isfinite(p.distanceFromSensor1) ||
            !std::isfinite(p.distanceFromSensor2))
            return false;
    return std::all_of(r.columnDelay.begin(), r.columnDelay.end(), [](float v) { return std::isfinite(v); }) &&
           std::isfinite(r.suggestedBand.low) && std::isfinite(r.suggestedBand.high);
}

// The band that agrees with the strongest PHAT peak between the sensors (of the strongest peak
// when there is none), over every bin the user lets through, tones removed.
FrequencyBand SuggestBand(const Setting& s, const LagWindows& w, const std::vector<bool>& lines,
                          const std::vector<double>& sensors, Workspace& ws) {
    Weighting open{CorrelationMethod::Phat, {}, nullptr, &lines};
    Measured wide = MeasureWeighted(s, w, open, ws);
    FindPeaks(s, wide, 0, false);
    ws.GiveBack(wide.trace);
    if (wide.peaks.empty()) return {};
    const auto inside = std::find_if(wide.peaks.begin(), wide.peaks.end(),
                                     [&](const TracePeak& p) { return !BeyondSensor(s, wide.Lag(p)); });
    const TracePeak& chosen = inside != wide.peaks.end() ? *inside : wide.peaks.front();
    return FindAgreeingBand(w, wide.Lag(chosen), lines, &sensors).band;
}

}  // namespace

const char* FlagKey(unsigned flag) {
    switch (flag) {
    case kFlagBeyondSensor: return "beyond-sensor";
    case kFlagCommonModeHum: return "hum";
    case kFlagNoUsableBand: return "no-band";
    }
    return "";
}

std::string DescribeFlags(unsigned flags) {
    std::string text;
    for (int bit = 0; bit < kFlagCount; ++bit) {
        if (!(flags & (1u << bit))) continue;
        if (!text.empty()) text += "; ";
        text += LoadString(string_id::kFlagTextBase + bit);
    }
    return text;
}

std::string MethodDisplayName(const AnalysisResult& r) {
    std::string name = LoadString(MethodTextId(r.requested));
    if (r.requested == CorrelationMethod::Auto) name += std::string(" (") + LoadString(MethodTextId(r.method)) + ")";
    return name;
}

std::string MethodReportLine(const AnalysisResult& r) {
    if (r.requested == CorrelationMethod::Basic) return {};
    const std::string line =
        FormatString(string_id::kReportMethodLine, MethodDisplayName(r).c_str(), int(r.quality + 0.5));
    return line;
}

CorrelationAnalyser::CorrelationAnalyser() : workspace_(std::make_unique<Workspace>()) {}
CorrelationAnalyser::~CorrelationAnalyser() = default;

AnalysisResult AnalyseCorrelation(const CorrelationRecord& record, CorrelationMethod method, std::int32_t removeStart,
                                  std::int32_t removeEnd) {
    return CorrelationAnalyser().Analyse(record, method, removeStart, removeEnd);
}

AnalysisResult CorrelationAnalyser::Analyse(const CorrelationRecord& record, CorrelationMethod method,
                                            std::int32_t removeStart, std::int32_t removeEnd) {
    Workspace& ws = *workspace_;
    AnalysisResult out;
    out.requested = method;
    out.method = method;
    out.problem = FindComputeProblem(record);
    if (out.problem != ComputeProblem::None) return out;
    auto s = std::make_unique<Setting>(record);
    s->removeStart = removeStart;
    s->removeEnd = removeEnd;
    s->engine.ComputeCorrelation(s->shown, removeStart, removeEnd);
    s->d = 2 * s->engine.AssembledSideBlocks() + 1;
    s->spc = std::max<int>(1, s->shown.samplesPerColumn);
    s->lo = s->shown.windowCentre - kGraphCentre * s->spc;
    s->zero = s->record.zeroLagIndex;
    s->fs = s->record.sampleRate;
    s->travel = s->engine.TotalTravelTime();
    out.windowCentre = s->shown.windowCentre;
    out.samplesPerColumn = s->shown.samplesPerColumn;
    std::copy(std::begin(s->shown.displayTrace), std::end(s->shown.displayTrace), out.displayTrace.begin());
    if (s->record.blockCount < 1) {
        out.flags |= kFlagNoUsableBand;
        out.method = CorrelationMethod::Basic;
        return out;
    }

    s->engine.BuildBinMask();
    LagWindows w = DecodeLagWindows(s->record, s->engine.AssembledSideBlocks(), s->engine.BinMask());
    TaperWindowEdges(w, ws.TransformFor(w.n));
    const std::vector<bool> lines = FindSpectralLines(w);
    const double lineShare = LineShare(w, lines);
    const std::vector<double> sensors = SensorPowerProduct(s->record, w);
    out.suggestedBand = SuggestBand(*s, w, lines, sensors, ws);
    if (!out.suggestedBand.valid()) out.flags |= kFlagNoUsableBand;

    auto weighted = [&](CorrelationMethod m) {
        return MeasureWeighted(*s, w, Weighting{m, out.suggestedBand, &sensors, &lines}, ws);
    };
    const bool rank = method == CorrelationMethod::Auto;
    std::vector<Measured> candidates;
    if (method == CorrelationMethod::Auto) {
        candidates.push_back(MeasureBasic(*s, w, ws));
        candidates.push_back(weighted(CorrelationMethod::Scot));
        candidates.push_back(weighted(CorrelationMethod::Phat));
    } else {
        candidates.push_back(method == CorrelationMethod::Basic ? MeasureBasic(*s, w, ws) : weighted(method));
    }
    for (Measured& c : candidates) FindPeaks(*s, c, lineShare, rank);
    const Measured* chosen = &candidates[0];
    for (const Measured& c : candidates)
        if (c.score > chosen->score) chosen = &c;
    out.method = chosen->method;
    // The plain method keeps the recomputation's own trace and cursor.
    if (chosen->method != CorrelationMethod::Basic) FillDisplay(*s, *chosen, out);
    FillPeaks(*s, *chosen, lineShare, out);
    out.finite = AllFinite(out);
    for (Measured& c : candidates) ws.GiveBack(c.trace);
    return out;
}

}  // namespace vexlan::analysis
