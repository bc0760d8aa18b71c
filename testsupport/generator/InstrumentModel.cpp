#include "testsupport/generator/InstrumentModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "testsupport/generator/DoubleFft.h"

namespace vexlan::kedgen {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
// The recomputation turns bins into lags with e^(-i...) (its inverse butterflies use cos - i sin),
// so the stored bins are formed with e^(+i...): then lag i of a window comes back at index i.
constexpr int kWindowTransformSign = +1;
// Ground-borne traffic noise and the sensor's own 1/f noise lift the floor below this frequency.
constexpr double kLowNoiseCorner = 40;  // Hz
constexpr int kHumHarmonics = 5;
// The grid's frequency wanders from frame to frame by about this much (standard deviation), so
// the hum's lines are a little broad and its correlation is highest at zero lag.
constexpr double kMainsWander = 0.1;  // Hz

double DbToPower(double db) { return std::pow(10.0, db / 10); }

// Power of harmonic h of mains hum relative to the fundamental: rectifier loads make the odd
// harmonics stronger than the even ones, and all fall with order.
double HumHarmonicDb(int h) { return (h % 2 == 1 ? 0.0 : -10.0) - 2.0 * (h - 1); }

// The sensors and their amplifiers are AC-coupled: a second-order high-pass at this corner.
constexpr double kHighPassCorner = 10;  // Hz

double HighPassGain(double f) {
    const double r = f / kHighPassCorner;
    return r * r / std::sqrt(1 + r * r * r * r);
}

double NoiseShape(double f) { return 1 + (kLowNoiseCorner / f) * (kLowNoiseCorner / f); }

// One way from a source to a sensor: the direct wave or the echo of a joint.
struct Path {
    double gain = 1;
    double lossPerHz = 0;
    double delay = 0;  // s
};

struct Emitter {
    Band band;
    double power = 1;  // relative to the leak's
    std::vector<Path> to1, to2;
};

Emitter MakeEmitter(const GeneratorSettings& s, const PipeGeometry& pipe, double x, const Band& band, double power) {
    Emitter e;
    e.band = band;
    e.power = power;
    Path direct1{1, PathLossPerHz(pipe, x, 0), TravelTime(pipe, x, 0)};
    Path direct2{1, PathLossPerHz(pipe, x, pipe.totalLength), TravelTime(pipe, x, pipe.totalLength)};
    for (const ReflectionSpec& r : s.reflections) {
        const double joint = JointPosition(pipe, r.joint);
        if (x == joint) continue;
        // A given coefficient is the one the leak's wave meets; the other side sees its negative.
        const double fromSensor1Side = r.coefficient != 0 ? (pipe.leakDistance < joint ? r.coefficient : -r.coefficient)
                                                          : JointReflection(pipe, r.joint);
        const bool towardSensor2 = x < joint;
        const double reflection = towardSensor2 ? fromSensor1Side : -fromSensor1Side;
        const double back = towardSensor2 ? 0 : pipe.totalLength;  // where the echo is heard
        Path echo{reflection, PathLossPerHz(pipe, x, joint) + PathLossPerHz(pipe, joint, back),
                  TravelTime(pipe, x, joint) + TravelTime(pipe, joint, back)};
        (towardSensor2 ? e.to1 : e.to2).push_back(echo);
        (towardSensor2 ? direct2 : direct1).gain *= 1 + reflection;  // the transmitted part
    }
    e.to1.push_back(direct1);
    e.to2.push_back(direct2);
    return e;
}

std::vector<Emitter> MakeEmitters(const GeneratorSettings& s, const PipeGeometry& pipe) {
    std::vector<Emitter> emitters;
    emitters.push_back(MakeEmitter(s, pipe, pipe.leakDistance, LeakBandAt(s, pipe, pipe.leakDistance), 1));
    for (const SourceSpec& src : s.sources) {
        Band band = LeakBandAt(s, pipe, src.distance);
        if (src.bandHigh > 0 && !src.leak) {
            band.low = src.bandLow;
            band.high = src.bandHigh;
            band.taper = std::min(0.3 * (band.high - band.low), band.low);
        }
        emitters.push_back(MakeEmitter(s, pipe, src.distance, band, DbToPower(src.levelDb)));
    }
    return emitters;
}

std::complex<double> Transfer(const std::vector<Path>& paths, double f) {
    std::complex<double> h;
    for (const Path& p : paths) h += p.gain * std::exp(-f * p.lossPerHz) * std::polar(1.0, -kTwoPi * f * p.delay);
    return h;
}

// Circular complex normal of unit variance.
std::complex<double> ComplexNormal(SeededRandom& random) {
    const double r = std::sqrt(-std::log(random.Uniform()));
    return std::polar(r, kTwoPi * random.Uniform());
}

}  // namespace

Band LeakBandAt(const GeneratorSettings& settings, const PipeGeometry& pipe, double x) {
    Band band;
    // Leak noise in plastic pipes is low-pitched; metal pipes carry it to higher frequencies.
    if (IsPlasticMaterial(SegmentAt(pipe, std::clamp(x, 0.0, pipe.totalLength)).material)) {
        band.low = 20;
        band.high = 300;
    } else {
        band.low = 150;
        band.high = 1500;
    }
    if (settings.bandHigh > 0) {
        band.low = settings.bandLow;
        band.high = settings.bandHigh;
    }
    band.taper = std::min(0.3 * (band.high - band.low), band.low);
    return band;
}

double BandLevel(const Band& band, double f) {
    if (f >= band.low && f <= band.high) return 1;
    const double outside = f < band.low ? band.low - f : f - band.high;
    if (band.taper <= 0 || outside >= band.taper) return 0;
    return 0.5 * (1 + std::cos(std::numbers::pi * outside / band.taper));
}

AveragedSpectra SimulateFrames(const GeneratorSettings& s, const PipeGeometry& pipe, int frameLength,
                               SeededRandom& random) {
    const double fs = s.sampleRate;
    const double binWidth = fs / frameLength;
    // Enough bins for the stored cross-spectrum and the display spectra, below the Nyquist bin.
    const double top =
        std::max(kCrossSpectrumBins * fs / s.sampleCount, (kSensorSpectrumBins + 1) * kSensorSpectrumStep);
    const int bins = std::min(frameLength / 2, int(std::ceil(top / binWidth)) + 1);
    const auto size = static_cast<std::size_t>(bins);

    const std::vector<Emitter> emitters = MakeEmitters(s, pipe);
    std::vector<std::vector<std::complex<double>>> h1(emitters.size()), h2(emitters.size());
    std::vector<std::vector<double>> amplitude(emitters.size());
    for (std::size_t e = 0; e < emitters.size(); ++e) {
        h1[e].resize(size);
        h2[e].resize(size);
        amplitude[e].resize(size);
        for (std::size_t k = 1; k < size; ++k) {
            const double f = double(k) * binWidth;
            h1[e][k] = Transfer(emitters[e].to1, f);
            h2[e][k] = Transfer(emitters[e].to2, f);
            amplitude[e][k] = std::sqrt(emitters[e].power * BandLevel(emitters[e].band, f));
        }
    }

    // Levels are set against the leak's power at the quieter sensor.
    double leak1 = 0, leak2 = 0, noiseInBand = 0;
    const Band& leakBand = emitters.front().band;
    for (std::size_t k = 1; k < size; ++k) {
        const double f = double(k) * binWidth;
        const double a2 = amplitude[0][k] * amplitude[0][k];
        leak1 += std::norm(h1[0][k]) * a2;
        leak2 += std::norm(h2[0][k]) * a2;
        if (f >= leakBand.low && f <= leakBand.high) noiseInBand += NoiseShape(f);
    }
    const double reference = std::min(leak1, leak2);
    const double noiseScale = noiseInBand > 0 ? reference / (DbToPower(s.snrDb) * noiseInBand) : 0;
    std::vector<double> noise(size), highPass(size);
    for (std::size_t k = 1; k < size; ++k) {
        noise[k] = std::sqrt(noiseScale * NoiseShape(double(k) * binWidth));
        highPass[k] = HighPassGain(double(k) * binWidth);
    }

    std::vector<double> humAmplitude;
    for (int h = 1; s.hum.frequency > 0 && h <= kHumHarmonics; ++h)
        humAmplitude.push_back(std::sqrt(reference * DbToPower(s.hum.levelDb + HumHarmonicDb(h))));

    AveragedSpectra out;
    out.binWidth = binWidth;
    out.cross.assign(size, {});
    out.power1.assign(size, 0);
    out.power2.assign(size, 0);
    std::vector<std::complex<double>> x1(size), x2(size);
    for (int m = 0; m < s.frames; ++m) {
        for (std::size_t k = 1; k < size; ++k) {
            x1[k] = noise[k] * ComplexNormal(random);
            x2[k] = noise[k] * ComplexNormal(random);
            for (std::size_t e = 0; e < emitters.size(); ++e) {
                if (amplitude[e][k] == 0) continue;
                const std::complex<double> a = amplitude[e][k] * ComplexNormal(random);
                x1[k] += a * h1[e][k];
                x2[k] += a * h2[e][k];
            }
        }
        // The hum reaches both sensors in the same phase: it correlates at zero lag.
        const double mains = humAmplitude.empty() ? 0 : s.hum.frequency + kMainsWander * random.Normal();
        for (std::size_t h = 0; h < humAmplitude.size(); ++h) {
            const auto bin = static_cast<std::size_t>(std::lround(double(h + 1) * mains / binWidth));
            const std::complex<double> tone = std::polar(humAmplitude[h], kTwoPi * random.Uniform());
            if (bin > 0 && bin < size) {
                x1[bin] += tone;
                x2[bin] += tone;
            }
        }
        for (std::size_t k = 1; k < size; ++k) {
            x1[k] *= highPass[k];
            x2[k] *= highPass[k];
            out.cross[k] += x1[k] * std::conj(x2[k]);
            out.power1[k] += std::norm(x1[k]);
            out.power2[k] += std::norm(x2[k]);
        }
    }
    for (std::size_t k = 0; k < size; ++k) {
        out.cross[k] /= s.frames;
        out.power1[k] /= s.frames;
        out.power2[k] /= s.frames;
    }
    return out;
}

std::vector<double> CrossCorrelation(const AveragedSpectra& spectra, int frameLength) {
    const auto length = static_cast<std::size_t>(frameLength);
    std::vector<std::complex<double>> full(length);
    for (std::size_t k = 1; k < spectra.cross.size() && k < length / 2; ++k) {
        full[k] = spectra.cross[k];
        full[length - k] = std::conj(spectra.cross[k]);
    }
    ComplexFft(full, +1);
    std::vector<double> correlation(length);
    for (std::size_t i = 0; i < length; ++i) correlation[i] = full[(i + length / 2) % length].real() / double(length);
    return correlation;
}

std::vector<std::complex<double>> WindowCrossSpectrum(const std::vector<double>& correlation, int centreLag, int n) {
    const int offset = int(correlation.size() / 2);
    std::vector<std::complex<double>> window(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const int lag = centreLag + (i < n / 2 ? i : i - n);
        const int index = lag + offset;
        window[std::size_t(i)] = index >= 0 && index < int(correlation.size()) ? correlation[std::size_t(index)] : 0.0;
    }
    ComplexFft(window, kWindowTransformSign);
    window.resize(std::size_t(n / 2));
    return window;
}

std::vector<double> DisplayPower(const AveragedSpectra& spectra, bool first) {
    const std::vector<double>& power = first ? spectra.power1 : spectra.power2;
    const int bins = int(power.size());
    std::vector<double> out(static_cast<std::size_t>(kSensorSpectrumBins));
    for (int j = 1; j < kSensorSpectrumBins; ++j) {
        const double f = j * kSensorSpectrumStep;
        const int from = std::max(1, int(std::ceil((f - kSensorSpectrumStep / 2) / spectra.binWidth)));
        const int to = std::min(bins - 1, int(std::floor((f + kSensorSpectrumStep / 2) / spectra.binWidth)));
        double sum = 0;
        for (int k = from; k <= to; ++k) sum += power[std::size_t(k)];
        if (to >= from) {
            out[std::size_t(j)] = sum / (to - from + 1);
        } else {
            const long nearest = std::lround(f / spectra.binWidth);
            out[std::size_t(j)] = nearest > 0 && nearest < bins ? power[std::size_t(nearest)] : 0;
        }
    }
    return out;
}

}  // namespace vexlan::kedgen
