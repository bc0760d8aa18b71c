#include "KedGenerator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "BlockDecoder.h"
#include "BlockEncoder.h"
#include "CCorrelationEngine.h"
#include "CCorrelationFile.h"
#include "LeakSynthesis.h"
#include "StringTable.h"

namespace vexlan::kedgen {

namespace {

// Peak component of the stored spectra: room below full scale for the recomputation's sums.
constexpr double kCrossSpectrumPeak = 12000;
constexpr double kSensorSpectrumPeak = 9000;

template <std::size_t Size>
void CopyText(char (&field)[Size], const std::string& text)
{
    std::memset(field, 0, Size);
    std::memcpy(field, text.data(), std::min(text.size(), Size - 1));
}

int NextPowerOfTwo(int v)
{
    int p = 1;
    while (p < v)
        p <<= 1;
    return p;
}

// Scales complex bins into interleaved 16-bit values (entries 0 and 1 stay zero) and compresses them.
bool StoreBins(const std::vector<std::complex<double>>& bins, double scale, int valueCount, int maxCount,
               std::uint8_t* block, std::string& error)
{
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

double LargestComponent(const std::vector<std::complex<double>>& bins)
{
    double m = 0;
    for (const auto& b : bins)
        m = std::max({m, std::abs(b.real()), std::abs(b.imag())});
    return m;
}

void FillPipe(const PipeGeometry& pipe, CorrelationRecord& r)
{
    for (std::size_t i = 0; i < pipe.segments.size(); ++i) {
        const SegmentSpec& s = pipe.segments[i];
        r.segments[i] = PipeSegment{std::uint16_t(s.material), s.length, s.diameter, s.velocity, 1};
    }
}

}  // namespace

bool GenerateRecord(const GeneratorSettings& settings, CorrelationRecord& out, std::string& error)
{
    error = ValidateSettings(settings);
    if (!error.empty())
        return false;
    const PipeGeometry pipe = ResolvePipe(settings);
    const Band band = LeakBand(settings);
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
    const double shown = (2 * joined + 1) * double(kCentreColumn * setup.SamplesPerColumn());
    const double reach = std::min(stored, shown);
    const double margin = 3 * settings.sampleRate / std::max(band.high - band.low, 1.0);
    if (std::abs(pipe.delay * settings.sampleRate) > reach - margin) {
        error = "the leak's time delay lies outside the lag windows stored in the file or shown on the graph";
        return false;
    }

    SeededRandom random(settings.seed);
    const int lagCount = NextPowerOfTwo((2 * sidePairs + 1) * n + 2 * n);
    const std::vector<double> correlation = SynthesiseCorrelation(settings, pipe, band, random, lagCount);

    std::vector<std::vector<std::complex<double>>> windows;
    double largest = 0;
    for (int j = kCentreBlock - sidePairs; j <= kCentreBlock + sidePairs; ++j) {
        windows.push_back(WindowCrossSpectrum(correlation, (kCentreBlock - j) * n, n));
        auto& bins = windows.back();
        for (std::size_t k = 0; k < bins.size(); ++k) {
            const double f = double(k) * settings.sampleRate / n;
            if (k >= std::size_t(kCrossSpectrumBins) || !KeepCrossSpectrumBin(settings, band, f))
                bins[k] = 0;
        }
        largest = std::max(largest, LargestComponent(bins));
    }
    const double crossScale = largest > 0 ? kCrossSpectrumPeak / largest : 0;
    for (int j = kCentreBlock - sidePairs, w = 0; j <= kCentreBlock + sidePairs; ++j, ++w) {
        if (!StoreBins(windows[std::size_t(w)], crossScale, n, fft::kMaxRealPoints, r.correlationBlocks[j], error)) {
            error = "correlation block " + std::to_string(j) + ": " + error;
            return false;
        }
    }

    const auto sensor1 = SensorSpectrum(settings, pipe, band, true, random);
    const auto sensor2 = SensorSpectrum(settings, pipe, band, false, random);
    const double loudest = std::max(LargestComponent(sensor1), LargestComponent(sensor2));
    const double sensorScale = loudest > 0 ? kSensorSpectrumPeak / loudest : 0;
    if (!StoreBins(sensor1, sensorScale, kSpectrumPoints, kSpectrumPoints, r.spectrum1Block, error) ||
        !StoreBins(sensor2, sensorScale, kSpectrumPoints, kSpectrumPoints, r.spectrum2Block, error)) {
        error = "sensor spectrum: " + error;
        return false;
    }
    out = r;
    return true;
}

bool WriteKedFile(const std::string& path, const CorrelationRecord& record, std::string& error)
{
    // The file layer never truncates, so a fresh file is written beside the target first.
    const std::string temporary = path + ".part";
    std::remove(temporary.c_str());
    CCorrelationFile file;
    std::string written;
    if (!file.WriteCorrelationFileAs(temporary, record, written)) {
        error = LoadString(file.lastError());
        std::remove(temporary.c_str());
        return false;
    }
    std::error_code renameError;  // std::rename() would not replace the file on Windows
    std::filesystem::rename(temporary, path, renameError);
    if (renameError) {
        error = LoadString(kErrorWriteFile);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace vexlan::kedgen
