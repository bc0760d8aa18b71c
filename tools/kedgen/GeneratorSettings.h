#pragma once
// Everything the sample generator needs to describe one synthetic recording: the pipe, the
// instrument set-up, the planted noise source, the interference, the filter block and the texts.

#include <cstdint>
#include <string>
#include <vector>

#include "CorrelationRecord.h"

namespace vexlan::kedgen {

struct SegmentSpec {
    int material = 10;       // index 0..19 (10 = steel)
    float length = 0;        // m
    float diameter = 100;    // mm
    float velocity = 0;      // m/s; 0 = the material's typical velocity
};

struct ToneSpec {
    float frequency = 0;  // Hz
    float level = 0;      // peak of its correlation relative to the leak's peak
};

struct GeneratorSettings {
    std::vector<SegmentSpec> segments;
    int sensorPair = 6;
    float sampleRate = 9765.625f;
    int sampleCount = 8192;
    int maxSideBlocks = 2;
    float leakDistance = -1;  // m from sensor 1; negative = the middle of the pipe
    float bandLow = 0;        // Hz of the leak noise; 0 = chosen from the materials
    float bandHigh = 0;
    float noise = 0.1f;       // lag-domain noise floor (RMS) relative to the leak's peak
    std::uint64_t seed = 1;
    std::vector<ToneSpec> tones;
    FilterSettings filter;
    std::string title = "Sample";
    std::string comment1, comment2, comment3;
    std::string userReference;
    std::string createdDate = "08/12/2026";
    std::string createdTime = "10:00:00";
};

// Material classes decide the typical velocity, the leak's frequency band and how fast the
// pipe wall damps high frequencies.
bool IsPlasticMaterial(int material);
float TypicalVelocity(int material);

// Empty when the settings describe a recording the generator can make, else why not.
std::string ValidateSettings(const GeneratorSettings& settings);

}  // namespace vexlan::kedgen
