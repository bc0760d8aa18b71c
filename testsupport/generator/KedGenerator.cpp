#include "testsupport/generator/KedGenerator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "correlation/BlockDecoder.h"
#include "correlation/BlockEncoder.h"
#include "correlation/CCorrelationEngine.h"
#include "correlation/CCorrelationFile.h"
#include "testsupport/generator/InstrumentModel.h"
#include "correlation/RecordCodec.h"
#include "storage/SafeFileWriter.h"
#include "res/StringTable.h"

namespace vexlan::kedgen {

namespace {

// Peak component of the stored spectra: room below full scale for the recomputation's sums.
constexpr double kCrossSpectrumPeak = 12000;
constexpr double kSensorSpectrumPeak = 9000;
// Stored sensor amplitude = kAmplitudeGain · sqrt(g · power) where the cross-spectrum is stored
// as g · cross-spectrum: then 256 |cross| / (|S1| |S2|) is the coherence for every file.
constexpr double kAmplitudeGain = 16;

template <std::size_t Size>
void CopyText(char (&field)[Size], const std::string& text) {
    std::memset(field, 0, Size);
    std::memcpy(field, text.data(), std::min(text.size(), Size - 1));
}

int NextPowerOfTwo(int v) {
    int p = 1;
    while (p < v) p <<= 1;
    return p;
}

// Scales complex bins into interleaved 16-bit values (entries 0 and 1 stay zero) and compresses them.
bool StoreBins(const std::vector<std::complex<double>>& bins, double scale, int valueCount, int maxCount,
               std::uint8_t* block, std::string& error) {
    std::vector<std::int16_t> values(std::size_t(valueCount), 0);
    for (std::size_t k = 1; k < bins.size() && 2 * k + 1 < values.size(); ++k) {
        values[2 * k] = std::int16_t(std::lround(std::clamp(bins[k].real() * scale, -32767.0, 32767.0)));
        values[2 * k + 1] = std::int16_t(std::lround(std::clamp(bins[k].imag() * scale, -32767.0, 32767.0)));
    }
    std::vector<std::int16_t> stored(values.size());
    const EncodeStatus status = QuantiseAndEncode(values.data(), valueCount, maxCount, block, stored.data());
    if (status != EncodeStatus::Ok) {
        error = DescribeEncodeStatus(status);
        return false;
    }
    return true;
}

double LargestComponent(const std::vector<std::complex<double>>& bins) {
    double m = 0;
    for (const auto& b : bins) m = std::max({m, std::abs(b.real()), std::abs(b.imag())});
    return m;
}

void FillPipe(const PipeGeometry& pipe, CorrelationRecord& r) {
    for (std::size_t i = 0; i < pipe.segments.size(); ++i) {
        const SegmentSpec& s = pipe.segments[i];
        r.segments[i] = PipeSegment{std::uint16_t(s.material), s.length, s.diameter, s.velocity, 1};
    }
}

}  // namespace

bool GenerateRecord(const GeneratorSettings& settings, CorrelationRecord& out, std::string& error) {
    error = ValidateSettings(settings);
    if (!error.empty()) return false;
    const PipeGeometry pipe = ResolvePipe(settings);
    const Band band = LeakBandAt(settings, pipe, pipe.leakDistance);
    const int n = settings.sampleCount;
    const int sidePairs = settings.maxSideBlocks;

    CorrelationRecord r;
    CopyText(r.createdDate, settings.createdDate);
    CopyText(r.createdTime, settings.createdTime);
    CopyText(r.title, settings.title);
    CopyText(r.comment1, settings.comment1);
    CopyText(r.comment2, settings.comment2);
    CopyText(r.comment3, settings.comment3);
    CopyText(r.userReference, settings.userReference);
    FillPipe(pipe, r);
    r.filter = settings.filter;
    r.sampleCount = std::uint16_t(n);
    r.maxSideBlocks = std::uint16_t(sidePairs);
    r.zeroLagIndex = std::uint16_t(n / 2);
    r.blockCount = std::uint16_t(2 * sidePairs + 1);
    r.sensorPair = std::int8_t(settings.sensorPair);
    r.sampleRate = settings.sampleRate;

    // The recomputation decides from the pipe how many side pairs it joins; the planted lag must
    // lie inside the windows it will use.
    CCorrelationEngine setup(r, DecodeBlock);
    if (!setup.SetUpPipe()) {
        error = "the pipe is too long for the recording: its travel time leaves no usable lag window";
        return false;
    }
    const int joined = setup.AssembledSideBlocks();
    // It must also lie inside the graph's 620 columns around zero lag, or the peak search misses it.
    const double stored = (2 * joined + 1) * n / 2.0;
    const double shown = (2 * joined + 1) * double(kGraphCentre * setup.SamplesPerColumn());
    const double reach = std::min(stored, shown);
    const double margin = 3 * settings.sampleRate / std::max(band.high - band.low, 1.0);
    if (std::abs(pipe.delay * settings.sampleRate) > reach - margin) {
        error = "the leak's time delay lies outside the lag windows stored in the file or shown on the graph";
        return false;
    }

    // A frame long enough for every stored window, with room so that lags do not wrap round.
    SeededRandom random(settings.seed);
    const int frameLength = NextPowerOfTwo((2 * sidePairs + 1) * n + 2 * n);
    const AveragedSpectra spectra = SimulateFrames(settings, pipe, frameLength, random);
    const std::vector<double> correlation = CrossCorrelation(spectra, frameLength);
    const double simulatedTop = double(spectra.cross.size()) * spectra.binWidth;

    std::vector<std::vector<std::complex<double>>> windows;
    double largest = 0;
    for (int j = kCentreBlock - sidePairs; j <= kCentreBlock + sidePairs; ++j) {
        windows.push_back(WindowCrossSpectrum(correlation, (kCentreBlock - j) * n, n));
        auto& bins = windows.back();
        for (std::size_t k = 0; k < bins.size(); ++k)
            if (k >= std::size_t(kCrossSpectrumBins) || double(k) * settings.sampleRate / n >= simulatedTop)
                bins[k] = 0;
        largest = std::max(largest, LargestComponent(bins));
    }
    const std::vector<double> power1 = DisplayPower(spectra, true);
    const std::vector<double> power2 = DisplayPower(spectra, false);
    const double loudest =
        std::max(*std::max_element(power1.begin(), power1.end()), *std::max_element(power2.begin(), power2.end()));
    double gain = largest > 0 ? kCrossSpectrumPeak / largest : 0;
    const double amplitudeLimit = kSensorSpectrumPeak / kAmplitudeGain;
    if (loudest > 0) gain = std::min(gain, amplitudeLimit * amplitudeLimit / loudest);

    for (int j = kCentreBlock - sidePairs, w = 0; j <= kCentreBlock + sidePairs; ++j, ++w) {
        if (!StoreBins(windows[std::size_t(w)], gain, n, fft::kMaxRealPoints, r.correlationBlocks[j], error)) {
            error = "correlation block " + std::to_string(j) + ": " + error;
            return false;
        }
    }
    // The sensor spectra are amplitudes: no phase survives the averaging.
    auto amplitudes = [gain](const std::vector<double>& power) {
        std::vector<std::complex<double>> bins(power.size());
        for (std::size_t k = 0; k < power.size(); ++k) bins[k] = kAmplitudeGain * std::sqrt(gain * power[k]);
        return bins;
    };
    if (!StoreBins(amplitudes(power1), 1, kSpectrumPoints, kSpectrumPoints, r.spectrum1Block, error) ||
        !StoreBins(amplitudes(power2), 1, kSpectrumPoints, kSpectrumPoints, r.spectrum2Block, error)) {
        error = "sensor spectrum: " + error;
        return false;
    }
    out = r;
    return true;
}

bool WriteKedFile(const std::string& path, const CorrelationRecord& record, std::string& error) {
    // A generated file replaces the target whole (no bytes of an older file are kept behind it).
    std::uint8_t image[kFileSize];
    image[0] = std::uint8_t(kFileVersion);
    image[1] = std::uint8_t(kFileVersion >> 8);
    EncodeRecord(record, image + 2);
    const int errorId = WriteFileSafely(path, image, sizeof image);
    if (errorId != 0) error = LoadString(errorId);
    return errorId == 0;
}

}  // namespace vexlan::kedgen
