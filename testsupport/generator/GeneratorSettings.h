#pragma once
// Everything the sample generator needs to describe one synthetic recording: the pipe, the
// instrument set-up, the planted leak, the interference, the filter block and the texts.

#include <cstdint>
#include <string>
#include <vector>

#include "correlation/CorrelationRecord.h"

namespace vexlan::kedgen {

struct SegmentSpec {
    int material = 10;     // index 0..19 (10 = steel)
    float length = 0;      // m
    float diameter = 100;  // mm
    float velocity = 0;    // m/s; 0 = the material's typical velocity
};

// Mains hum picked up by both sensors' cables alike: the fundamental and its harmonics.
struct HumSpec {
    float frequency = 0;  // Hz, 50 or 60; 0 = no hum
    float levelDb = 6;    // power of the fundamental over the leak's power at the quieter sensor
};

// Another noise source on the pipe line: a pump, a hydrant in use, a second leak. Its position
// may lie beyond either sensor (negative, or past the pipe's end).
struct SourceSpec {
    float distance = 0;  // m from sensor 1
    float levelDb = 0;   // source power over the leak's, both taken where they arise
    float bandLow = 0;   // Hz; 0 = the band a leak would have there
    float bandHigh = 0;
    bool leak = false;  // a second leak rather than an interferer
};

// A partial reflection of the leak's noise at the joint after segment `joint` (1-based).
struct ReflectionSpec {
    int joint = 0;
    float coefficient = 0;  // pressure reflection; 0 = from the impedances of the two segments
};

struct GeneratorSettings {
    std::vector<SegmentSpec> segments;
    int sensorPair = 6;
    float sampleRate = 9765.625f;
    int sampleCount = 8192;
    int maxSideBlocks = 2;
    float leakDistance = -1;  // m from sensor 1; negative = the middle of the pipe
    float bandLow = 0;        // Hz of the leak noise; 0 = chosen from the material at the leak
    float bandHigh = 0;
    float snrDb = 10;  // leak power at the quieter sensor over its self-noise, in the leak band
    int frames = 16;   // frames the correlator averages
    std::uint64_t seed = 1;
    HumSpec hum;
    std::vector<SourceSpec> sources;
    std::vector<ReflectionSpec> reflections;
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
