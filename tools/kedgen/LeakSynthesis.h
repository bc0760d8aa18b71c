#pragma once
// The physics of a synthetic recording. A noise source at distance x from sensor 1 reaches the
// sensors after t1 and t2 = T - t1; the cross-correlation of the two sensor signals then peaks at
// the lag t1 - t2 = 2 t1 - T (positive when the source is nearer sensor 2), with the shape of the
// leak noise's band. Background noise adds a random correlation floor, electrical interference
// a tone correlated at zero lag. The instrument stores the cross-spectrum of each N-sample lag
// window (block j covers the lags around (2 - j) N) and the spectrum of each sensor.

#include <complex>
#include <vector>

#include "GeneratorSettings.h"
#include "SeededRandom.h"

namespace vexlan::kedgen {

struct Band {
    double low = 0;    // Hz, full level from here
    double high = 0;   // Hz, full level up to here
    double taper = 0;  // Hz of raised-cosine roll-off outside each edge
};

// Frequency spacing of the stored sensor spectra: that of the filter dialog's graph columns,
// two coefficients per column.
constexpr double kSensorSpectrumStep = 2.420635 / 2;
constexpr int kSensorSpectrumBins = 1024;
constexpr int kCrossSpectrumBins = 1024;  // the instrument keeps the bins the filter can act on

struct PipeGeometry {
    std::vector<SegmentSpec> segments;  // velocities filled in
    double totalLength = 0;
    double totalTravelTime = 0;
    double leakDistance = 0;  // m from sensor 1
    double delay = 0;         // s, 2 t1 - T
};

PipeGeometry ResolvePipe(const GeneratorSettings& settings);
Band LeakBand(const GeneratorSettings& settings);
double BandLevel(const Band& band, double frequency);

// Whether the instrument would keep cross-spectrum bin frequency f: the leak's band and the
// surroundings of the tones; everything else is left at zero, which keeps the blocks small.
bool KeepCrossSpectrumBin(const GeneratorSettings& settings, const Band& band, double frequency);

// The cross-correlation at lags -lagCount/2 .. lagCount/2 - 1 (entry lag + lagCount/2), in
// units of the leak's correlation peak. lagCount must be a power of two.
std::vector<double> SynthesiseCorrelation(const GeneratorSettings& settings, const PipeGeometry& pipe,
                                          const Band& band, SeededRandom& random, int lagCount);

// Cross-spectrum bins 0 .. N/2 - 1 of the N lags centred on centreLag, laid out as the
// recomputation's inverse transform expects (zero lag of the window at index 0).
std::vector<std::complex<double>> WindowCrossSpectrum(const std::vector<double>& correlation, int centreLag, int n);

// Spectrum of sensor 1 (first = true) or sensor 2: leak noise damped along its path to the
// sensor, a background floor and the tones, with random phases and Rayleigh-spread magnitudes.
std::vector<std::complex<double>> SensorSpectrum(const GeneratorSettings& settings, const PipeGeometry& pipe,
                                                 const Band& band, bool first, SeededRandom& random);

}  // namespace vexlan::kedgen
