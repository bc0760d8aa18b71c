// libFuzzer target: arbitrary bytes as a .ked file through the file reader, the record codec and
// the block decoder. Checks that a file that reads back writes back to the same bytes, that the
// decoder stays inside its block and its output, gives what the literal decoder gives, and that
// an oversized value count leaves the output zero.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "correlation/BlockDecoder.h"
#include "res/StringIds.h"
#include "correlation/BlockEncoder.h"
#include "correlation/CCorrelationFile.h"
#include "correlation/analysis/CorrelationAnalysis.h"
#include "correlation/RecordCodec.h"
#include "testsupport/ReferenceBlockDecoder.h"
#include "testsupport/SeedCorpus.h"

namespace {

using namespace vexlan;
using test::Seed;

constexpr int kSpectrumValues = 2048;  // a sensor spectrum block holds 1024 bins
constexpr int kGuard = 64;
constexpr std::int16_t kGuardValue = 0x5A5A;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "ked fuzzer: %s\n", what);
    std::abort();
}

std::string ScratchFile() {
    char path[] = "/tmp/vexlan-ked-fuzz-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0) Fail("cannot create a scratch file");
    ::close(fd);
    static std::string made;
    made = path;
    std::atexit([] { std::remove(made.c_str()); });
    return path;
}

// Header value count of a block as the decoder reads it: bits 16..31, a signed 16-bit number.
int HeaderValueCount(const std::uint8_t* block) { return std::int16_t(std::uint16_t(block[2] | (block[3] << 8))); }

void DecodeChecked(const std::uint8_t* recordBlock, int maxCount) {
    // The block on its own heap allocation of exactly its size, so that reading past it is caught.
    const auto block = std::make_unique<std::uint8_t[]>(kBlockSize);
    std::memcpy(block.get(), recordBlock, kBlockSize);
    static std::int16_t out[kMaxBlockValues + 2 * kGuard];
    for (auto& v : out) v = kGuardValue;
    std::int16_t* values = out + kGuard;
    DecodeBlock(maxCount, block.get(), values);
    for (int i = 0; i < kGuard; ++i)
        if (out[i] != kGuardValue || values[maxCount + i] != kGuardValue) Fail("decoder wrote outside its output");
    static std::int16_t literal[kMaxBlockValues];
    test::DecodeBlock(maxCount, block.get(), literal);
    if (std::memcmp(values, literal, std::size_t(maxCount) * sizeof literal[0]) != 0)
        Fail("the decoder differs from the literal decoder");
    if (HeaderValueCount(block.get()) > maxCount)
        for (int i = 0; i < maxCount; ++i)
            if (values[i] != 0) Fail("an oversized value count did not leave the output zero");
}

// A cross-spectrum of one noise source lag samples from zero lag, falling off with frequency.
void EncodePeak(int lag, int valueCount, int maxCount, std::uint8_t* block) {
    std::vector<std::int16_t> values(std::size_t(valueCount), 0), quantised(std::size_t(valueCount), 0);
    for (int k = 1; k < valueCount / 2; ++k) {
        const double phase = -2 * M_PI * k * lag / valueCount;
        const double amplitude = 6000.0 / (1 + k / 64.0);
        values[std::size_t(2 * k)] = std::int16_t(std::lround(amplitude * std::cos(phase)));
        values[std::size_t(2 * k + 1)] = std::int16_t(std::lround(amplitude * std::sin(phase)));
    }
    if (QuantiseAndEncode(values.data(), valueCount, maxCount, block, quantised.data()) != EncodeStatus::Ok)
        Fail("seed block does not encode");
}

Seed FileOf(const CorrelationRecord& record, std::size_t size) {
    Seed bytes(kFileSize, 0);
    bytes[0] = 2;
    EncodeRecord(record, bytes.data() + 2);
    bytes.resize(size, 0xA5);
    return bytes;
}

std::vector<Seed> MakeSeeds() {
    std::vector<Seed> seeds = {{}, {2}, {2, 0}, {3, 0, 1, 2, 3}};
    CorrelationRecord r;
    std::strcpy(r.title, "fuzz seed");
    r.segments[0] = {10, 180, 150, 1290, 1};
    r.segments[1] = {3, 60, 100, 400, 1};
    r.filter.lowCutoff = 100;
    r.filter.highCutoff = 1200;
    r.filter.notches[0] = {300, 320};
    r.sampleCount = 8192;
    r.zeroLagIndex = 4096;
    r.blockCount = 5;
    r.maxSideBlocks = 2;
    r.sideBlocks = 1;
    r.sensorPair = 6;
    r.sampleRate = 5000;
    for (int j = 0; j < kCorrelationBlockCount; ++j) EncodePeak(40 * (j - 2) + 17, 8192, 8192, r.correlationBlocks[j]);
    EncodePeak(0, 2048, 2048, r.spectrum1Block);
    EncodePeak(3, 2048, 2048, r.spectrum2Block);
    seeds.push_back(FileOf(r, kFileSize));
    seeds.push_back(FileOf(r, kFileSize + 100));  // a longer file: the tail is ignored

    CorrelationRecord small = r;
    small.sampleCount = 2048;
    small.zeroLagIndex = 1024;
    small.blockCount = 1;
    small.maxSideBlocks = 0;
    EncodePeak(-30, 2048, 8192, small.correlationBlocks[kCentreBlock]);
    seeds.push_back(FileOf(small, kFileSize));
    seeds.push_back(FileOf(small, 7000));  // cut inside the second spectrum

    // Blocks at the edges of the format: all ones, and a value count that reads as negative.
    CorrelationRecord edges;
    edges.sampleCount = 4096;
    edges.blockCount = 1;
    std::memset(edges.correlationBlocks[kCentreBlock], 0xFF, kBlockSize);
    std::mt19937 random(7);
    for (auto& b : edges.spectrum1Block) b = std::uint8_t(random());
    edges.spectrum2Block[2] = 0x00;
    edges.spectrum2Block[3] = 0x80;
    seeds.push_back(FileOf(edges, kFileSize));
    return seeds;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    test::AddSeedCorpus(argc, argv, "ked_file_fuzzer", MakeSeeds());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = ScratchFile();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        Fail("cannot write the scratch file");

    CorrelationRecord record;
    CCorrelationFile reader;
    if (!reader.ReadCorrelationFile(path, record)) {
        if (reader.lastError() != string_id::kMsgIncompatibleFile)
            Fail("a readable file failed with another error than its version");
        if (size >= 2 && data[0] == 2 && data[1] == 0) Fail("a file with version word 2 was rejected");
        return 0;
    }
    if (size < 2 || data[0] != 2 || data[1] != 0) Fail("a file without version word 2 was accepted");

    // What was read writes back byte for byte; bytes the file did not cover stay zero.
    static std::uint8_t image[kRecordSize];
    EncodeRecord(record, image);
    const std::size_t covered = std::min(size - 2, kRecordSize);
    if (std::memcmp(image, data + 2, covered) != 0)
        Fail("the record does not write back to the bytes it was read from");
    for (std::size_t i = covered; i < kRecordSize; ++i)
        if (image[i] != 0) Fail("bytes beyond a short file did not stay zero");

    DecodeChecked(record.spectrum1Block, kSpectrumValues);
    DecodeChecked(record.spectrum2Block, kSpectrumValues);
    for (const auto& block : record.correlationBlocks) DecodeChecked(block, kMaxBlockValues);

    // The analysis takes any record: peaks inside the graph with finite values, or a refusal.
    const analysis::AnalysisResult r = analysis::AnalyseCorrelation(record, analysis::CorrelationMethod::Auto);
    if (r.usable())
        for (const analysis::AnalysisPeak& p : r.peaks)
            if (p.column < 0 || p.column >= kGraphWidth || !(p.quality >= 0 && p.quality <= 100) ||
                !(p.height >= 0 && p.height <= 1) || !std::isfinite(p.timeDelay))
                Fail("an analysis peak lies outside the graph or has no finite value");
    return 0;
}
