#pragma once
// The correlator's measurement, simulated. Each noise source (the leak, a second leak, a pump)
// sends band-limited noise both ways along the pipe; each sensor receives it delayed by the
// travel time and damped by the walls, plus the echo of a reflecting joint, its own self-noise
// and any mains hum on its cable. The correlator cuts both signals into frames of L samples,
// transforms them and averages X1·conj(X2), |X1|² and |X2|² over M frames. From the averaged
// cross-spectrum it keeps the correlation of each N-lag window (block j covers the lags around
// (2 - j) N) as the spectrum of that window, and from |X1|², |X2|² the two amplitude spectra on
// the spectrum display's grid. README.md gives the equations and where the constants come from.

#include <complex>
#include <vector>

#include "testsupport/generator/GeneratorSettings.h"
#include "testsupport/generator/PipeModel.h"
#include "testsupport/generator/SeededRandom.h"

namespace vexlan::kedgen {

struct Band {
    double low = 0;    // Hz, full level from here
    double high = 0;   // Hz, full level up to here
    double taper = 0;  // Hz of raised-cosine roll-off outside each edge
};

// Grid of the stored sensor spectra: that of the filter dialog's graph columns (1220 Hz over
// 504 columns), two coefficients per column.
constexpr double kSensorSpectrumStep = 1220.0 / 1008.0;
constexpr int kSensorSpectrumBins = 1024;
constexpr int kCrossSpectrumBins = 1024;  // the bins the filter acts on: 0 .. 1220 Hz at 8192 / 9765.625 Hz

// The noise band of a leak (or a source left at its default) at position x: from the material
// there unless the settings give a band.
Band LeakBandAt(const GeneratorSettings& settings, const PipeGeometry& pipe, double x);
double BandLevel(const Band& band, double frequency);

// The frame averages on the frame's frequency grid, bins 0 .. size-1 at binWidth spacing.
struct AveragedSpectra {
    double binWidth = 0;
    std::vector<std::complex<double>> cross;  // mean X1·conj(X2)
    std::vector<double> power1, power2;       // mean |X1|², |X2|²
};

// Simulates settings.frames frames of frameLength samples (a power of two).
AveragedSpectra SimulateFrames(const GeneratorSettings& settings, const PipeGeometry& pipe, int frameLength,
                               SeededRandom& random);

// The averaged cross-correlation at lags -L/2 .. L/2 - 1 (entry lag + L/2): the inverse
// transform of the cross-spectrum, positive lag = sensor 1 hears the source later.
std::vector<double> CrossCorrelation(const AveragedSpectra& spectra, int frameLength);

// Spectrum bins 0 .. N/2 - 1 of the N lags centred on centreLag, laid out as the
// recomputation's inverse transform expects (zero lag of the window at index 0). For a window
// that holds the whole of a peak, bin i equals conj of the cross-spectrum at i·fs/N.
std::vector<std::complex<double>> WindowCrossSpectrum(const std::vector<double>& correlation, int centreLag, int n);

// Mean power of sensor 1 or 2 around each display frequency k · kSensorSpectrumStep.
std::vector<double> DisplayPower(const AveragedSpectra& spectra, bool first);

}  // namespace vexlan::kedgen
