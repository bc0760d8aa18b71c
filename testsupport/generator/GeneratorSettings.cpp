#include "testsupport/generator/GeneratorSettings.h"

#include <cmath>

namespace vexlan::kedgen {

bool IsPlasticMaterial(int material) {
    // HDPE, LDPE, MDPE, PVC.
    return material == 3 || material == 5 || material == 7 || material == 8;
}

float TypicalVelocity(int material) {
    // Water-filled pipes of about 100 mm: the wall's stiffness sets the speed of the pressure wave.
    switch (material) {
    case 0: return 1050;   // asbestos cement
    case 1: return 1280;   // copper
    case 2: return 1250;   // ductile iron
    case 3: return 420;    // HDPE
    case 4: return 1200;   // cast iron
    case 5: return 330;    // LDPE
    case 6: return 1000;   // lead
    case 7: return 380;    // MDPE
    case 8: return 480;    // PVC
    case 9: return 1100;   // reinforced concrete
    case 10: return 1320;  // steel
    default: return 1200;
    }
}

namespace {
bool PositiveFinite(float v) { return std::isfinite(v) && v > 0; }
}  // namespace

std::string ValidateSettings(const GeneratorSettings& s) {
    if (s.segments.empty() || s.segments.size() > std::size_t(kSegmentCount)) return "give 1 to 10 pipe segments";
    float total = 0;
    for (const SegmentSpec& seg : s.segments) {
        if (seg.material < 0 || seg.material > 19) return "a segment's material must be 0..19";
        if (!PositiveFinite(seg.length) || !PositiveFinite(seg.diameter))
            return "a segment's length and diameter must be positive";
        if (!(std::isfinite(seg.velocity) && seg.velocity >= 0))
            return "a segment's velocity must be positive (or 0 for the material's typical value)";
        total += seg.length;
    }
    if (total < 0.1f) return "the pipe must be at least 0.1 m long";
    if (!PositiveFinite(s.sampleRate)) return "the sample rate must be positive";
    if (s.sampleCount < 512 || s.sampleCount > 8192 || (s.sampleCount & (s.sampleCount - 1)) != 0)
        return "the sample count must be a power of two from 512 to 8192";
    if (s.maxSideBlocks < 0 || s.maxSideBlocks > 2) return "the number of side block pairs must be 0, 1 or 2";
    if (!std::isfinite(s.leakDistance) || s.leakDistance > total) return "the leak must lie on the pipe";
    if (!(std::isfinite(s.snrDb) && s.snrDb >= -40 && s.snrDb <= 60))
        return "the signal-to-noise ratio must be between -40 and 60 dB";
    if (s.frames < 1 || s.frames > 256) return "the number of averaged frames must be 1 to 256";
    if (!(std::isfinite(s.bandLow) && std::isfinite(s.bandHigh) && s.bandLow >= 0 && s.bandHigh >= 0))
        return "the leak noise band must be given in Hz";
    if (s.bandHigh != 0 && s.bandHigh <= s.bandLow)
        return "the leak noise band's upper edge must lie above its lower edge";
    if (s.hum.frequency != 0 && s.hum.frequency != 50 && s.hum.frequency != 60) return "mains hum is at 50 or 60 Hz";
    if (!(std::isfinite(s.hum.levelDb) && std::abs(s.hum.levelDb) <= 60))
        return "the hum level must be between -60 and 60 dB";
    if (s.sources.size() > 4) return "at most four further noise sources";
    for (const SourceSpec& src : s.sources) {
        if (!std::isfinite(src.distance) || std::abs(src.distance) > 5000 || !std::isfinite(src.levelDb) ||
            std::abs(src.levelDb) > 60)
            return "a noise source needs a distance within 5 km and a level between -60 and 60 dB";
        if (src.leak && (src.distance < 0 || src.distance > total)) return "the second leak must lie on the pipe";
        if (!(std::isfinite(src.bandLow) && std::isfinite(src.bandHigh) && src.bandLow >= 0 &&
              (src.bandHigh == 0 || src.bandHigh > src.bandLow)))
            return "a noise source's band must be LOW:HIGH in Hz with HIGH above LOW";
    }
    for (const ReflectionSpec& r : s.reflections)
        if (r.joint < 1 || r.joint >= int(s.segments.size()) || !(std::abs(r.coefficient) < 1))
            return "a reflection needs a joint between two segments (1 .. segments - 1) and a coefficient below 1";
    return {};
}

}  // namespace vexlan::kedgen
