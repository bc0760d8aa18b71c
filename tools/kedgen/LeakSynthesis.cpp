#include "LeakSynthesis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "DoubleFft.h"

namespace vexlan::kedgen {

namespace {

// The recomputation turns bins into lags with e^(-i...) (its inverse butterflies use cos - i sin),
// so the stored bins are formed with e^(+i...): then lag i of a window comes back at index i.
constexpr int kWindowTransformSign = +1;
constexpr double kTwoPi = 2 * std::numbers::pi;

// Damping of the pressure wave, per hertz and metre: plastic walls absorb far more.
double Attenuation(int material) { return IsPlasticMaterial(material) ? 2.0e-5 : 2.0e-6; }

// Sum of the damping exponents (per hertz) along the pipe from a to b (a <= b), in metres from sensor 1.
double PathAttenuation(const PipeGeometry& pipe, double a, double b)
{
    double start = 0;
    double sum = 0;
    for (const SegmentSpec& s : pipe.segments) {
        const double end = start + s.length;
        const double overlap = std::max(0.0, std::min(b, end) - std::max(a, start));
        sum += overlap * Attenuation(s.material);
        start = end;
    }
    return sum;
}

}  // namespace

bool KeepCrossSpectrumBin(const GeneratorSettings& s, const Band& band, double f)
{
    if (BandLevel(band, f) > 0)
        return true;
    // Bins near a tone stay, so that its interference survives the band limiting.
    for (const ToneSpec& t : s.tones)
        if (std::abs(f - double(t.frequency)) < 30)
            return true;
    return false;
}

PipeGeometry ResolvePipe(const GeneratorSettings& settings)
{
    PipeGeometry pipe;
    pipe.segments = settings.segments;
    for (SegmentSpec& s : pipe.segments) {
        if (s.velocity == 0)
            s.velocity = TypicalVelocity(s.material);
        pipe.totalLength += double(s.length);
        pipe.totalTravelTime += double(s.length) / double(s.velocity);
    }
    pipe.leakDistance = settings.leakDistance < 0 ? pipe.totalLength / 2 : double(settings.leakDistance);
    double t1 = 0;
    double start = 0;
    for (const SegmentSpec& s : pipe.segments) {
        const double part = std::clamp(pipe.leakDistance - start, 0.0, double(s.length));
        t1 += part / double(s.velocity);
        start += double(s.length);
    }
    pipe.delay = 2 * t1 - pipe.totalTravelTime;
    return pipe;
}

Band LeakBand(const GeneratorSettings& settings)
{
    bool plastic = false;
    bool metal = false;
    for (const SegmentSpec& s : settings.segments)
        (IsPlasticMaterial(s.material) ? plastic : metal) = true;
    Band band;
    // Leak noise in plastic pipes is low-pitched; metal pipes carry it to higher frequencies.
    if (plastic && metal) {
        band.low = 40;
        band.high = 400;
    } else if (plastic) {
        band.low = 25;
        band.high = 250;
    } else {
        band.low = 200;
        band.high = 900;
    }
    if (settings.bandHigh > 0) {
        band.low = settings.bandLow;
        band.high = settings.bandHigh;
    }
    band.taper = std::min(0.3 * (band.high - band.low), band.low);
    return band;
}

double BandLevel(const Band& band, double f)
{
    if (f >= band.low && f <= band.high)
        return 1;
    const double outside = f < band.low ? band.low - f : f - band.high;
    if (band.taper <= 0 || outside >= band.taper)
        return 0;
    return 0.5 * (1 + std::cos(std::numbers::pi * outside / band.taper));
}

std::vector<double> SynthesiseCorrelation(const GeneratorSettings& settings, const PipeGeometry& pipe,
                                          const Band& band, SeededRandom& random, int lagCount)
{
    const double fs = settings.sampleRate;
    const double leakLag = pipe.delay * fs;
    const double damping = PathAttenuation(pipe, 0, pipe.totalLength);
    const auto size = static_cast<std::size_t>(lagCount);
    std::vector<std::complex<double>> leak(size), background(size);
    for (int k = 1; k < lagCount / 2; ++k) {
        const double f = k * fs / lagCount;
        const double level = BandLevel(band, f) * std::exp(-damping * f);
        const double phase = -kTwoPi * k * leakLag / lagCount;
        leak[std::size_t(k)] = level * std::complex<double>(std::cos(phase), std::sin(phase));
        const double re = random.Normal();
        const double im = random.Normal();
        background[std::size_t(k)] = BandLevel(band, f) * std::complex<double>(re, im);
        leak[std::size_t(lagCount - k)] = std::conj(leak[std::size_t(k)]);
        background[std::size_t(lagCount - k)] = std::conj(background[std::size_t(k)]);
    }
    ComplexFft(leak, +1);
    ComplexFft(background, +1);

    double peak = 0;
    double floorPower = 0;
    for (int i = 0; i < lagCount; ++i) {
        peak = std::max(peak, leak[std::size_t(i)].real());
        floorPower += background[std::size_t(i)].real() * background[std::size_t(i)].real();
    }
    const double floorRms = std::sqrt(floorPower / lagCount);
    const double leakScale = peak > 0 ? 1 / peak : 0;
    const double floorScale = floorRms > 0 ? double(settings.noise) / floorRms : 0;

    std::vector<double> correlation(size);
    for (int i = 0; i < lagCount; ++i) {
        const int lag = i - lagCount / 2;
        const std::size_t circular = std::size_t((lag + lagCount) % lagCount);
        double v = leak[circular].real() * leakScale + background[circular].real() * floorScale;
        for (const ToneSpec& t : settings.tones)
            v += double(t.level) * std::cos(kTwoPi * double(t.frequency) * lag / fs);
        correlation[std::size_t(i)] = v;
    }
    return correlation;
}

std::vector<std::complex<double>> WindowCrossSpectrum(const std::vector<double>& correlation, int centreLag, int n)
{
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

std::vector<std::complex<double>> SensorSpectrum(const GeneratorSettings& settings, const PipeGeometry& pipe,
                                                 const Band& band, bool first, SeededRandom& random)
{
    const double damping = first ? PathAttenuation(pipe, 0, pipe.leakDistance)
                                 : PathAttenuation(pipe, pipe.leakDistance, pipe.totalLength);
    std::vector<std::complex<double>> spectrum(static_cast<std::size_t>(kSensorSpectrumBins));
    for (int k = 1; k < kSensorSpectrumBins; ++k) {
        const double f = k * kSensorSpectrumStep;
        double level = std::sqrt(BandLevel(band, f)) * std::exp(-damping * f);
        // Traffic and pump noise: strong at the lowest frequencies, falling off above.
        level += 0.04 + 0.25 / (1 + f / 40);
        for (const ToneSpec& t : settings.tones)
            if (std::abs(f - t.frequency) < 1.5 * kSensorSpectrumStep)
                level += 0.6 * std::sqrt(double(t.level));
        const double re = random.Normal();
        const double im = random.Normal();
        spectrum[std::size_t(k)] = level * std::sqrt(0.5) * std::complex<double>(re, im);
    }
    return spectrum;
}

}  // namespace vexlan::kedgen
