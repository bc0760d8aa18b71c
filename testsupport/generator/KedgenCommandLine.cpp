#include "testsupport/generator/KedgenCommandLine.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <ostream>
#include <sstream>
#include <type_traits>

#include "testsupport/generator/Corpus.h"
#include "testsupport/generator/KedGenerator.h"
#include "VexlanVersion.h"

namespace vexlan::kedgen {
namespace {

struct MaterialName {
    const char* name;
    int index;
};
constexpr MaterialName kMaterialNames[] = {
    {"asbestos-cement", 0},
    {"copper", 1},
    {"ductile-iron", 2},
    {"hdpe", 3},
    {"cast-iron", 4},
    {"ldpe", 5},
    {"lead", 6},
    {"mdpe", 7},
    {"pvc", 8},
    {"rccp", 9},
    {"steel", 10},
};

// True when the whole text is one number (std::stoi and std::stof throw when it starts with none).
template <typename T>
bool ParseNumber(const std::string& text, T& value) {
    try {
        std::size_t used = 0;
        if constexpr (std::is_same_v<T, int>)
            value = std::stoi(text, &used);
        else
            value = std::stof(text, &used);
        return used == text.size();
    } catch (...) {
        return false;
    }
}

bool ParseMaterial(std::string text, int& material) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return c == ' ' || c == '_' ? '-' : char(std::tolower(c)); });
    for (const MaterialName& m : kMaterialNames)
        if (text == m.name) {
            material = m.index;
            return true;
        }
    return ParseNumber(text, material);
}

std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> fields;
    std::stringstream in(text);
    for (std::string f; std::getline(in, f, ',');) fields.push_back(f);
    return fields;
}

// "MATERIAL,LENGTH,DIAMETER[,VELOCITY]"
std::string ParseSegment(const std::string& text, SegmentSpec& s) {
    const auto f = SplitFields(text);
    if (f.size() < 3 || f.size() > 4 || !ParseMaterial(f[0], s.material) || !ParseNumber(f[1], s.length) ||
        !ParseNumber(f[2], s.diameter) || (f.size() == 4 && !ParseNumber(f[3], s.velocity)))
        return "--segment expects MATERIAL,LENGTH,DIAMETER[,VELOCITY], got \"" + text + "\"";
    return {};
}

bool ParsePair(const std::string& text, float& a, float& b) {
    const auto f = SplitFields(text);
    return f.size() == 2 && ParseNumber(f[0], a) && ParseNumber(f[1], b);
}

// "DIST,LEVEL_DB[,LO:HI]"
bool ParseSource(const std::string& text, SourceSpec& src) {
    const auto f = SplitFields(text);
    if (f.size() < 2 || f.size() > 3 || !ParseNumber(f[0], src.distance) || !ParseNumber(f[1], src.levelDb))
        return false;
    if (f.size() == 3) {
        const std::size_t colon = f[2].find(':');
        return colon != std::string::npos && ParseNumber(f[2].substr(0, colon), src.bandLow) &&
               ParseNumber(f[2].substr(colon + 1), src.bandHigh);
    }
    return true;
}

// "A[,B]": the first number required, the second optional.
template <typename A, typename B>
bool ParseOneOrTwo(const std::string& text, A& a, B& b) {
    const auto f = SplitFields(text);
    return (f.size() == 1 || f.size() == 2) && ParseNumber(f[0], a) && (f.size() == 1 || ParseNumber(f[1], b));
}

}  // namespace

int ParseFileArguments(const std::vector<std::string>& args, GeneratorSettings& s, std::string& output,
                       std::ostream& out, std::ostream& err) {
    CLI::App app{"Writes a synthetic correlation file (.ked) with a leak planted on a pipe."};
    app.name("kedgen");
    app.set_version_flag("--version", "kedgen " VEXLAN_VERSION);
    std::vector<std::string> segments, sources, reflections, notches, comments;
    std::string band, hum, secondLeak;
    bool autoFilter = false;

    app.add_option("-o,--output", output, "Output .ked file")->required();
    app.add_option("--segment", segments,
                   "Pipe segment from sensor 1 on: MATERIAL,LENGTH,DIAMETER[,VELOCITY] "
                   "(material index 0..19 or steel, cast-iron, ductile-iron, copper, lead, asbestos-cement, "
                   "rccp, pvc, hdpe, mdpe, ldpe; m, mm, m/s)")
        ->required();
    app.add_option("--leak", s.leakDistance, "Leak distance from sensor 1, m (default: middle of the pipe)");
    app.add_option("--sensor-pair", s.sensorPair, "Sensor pair bit mask: 3, 5, 6, 9, 10 or 12")
        ->check(CLI::IsMember({3, 5, 6, 9, 10, 12}));
    app.add_option("--sample-rate", s.sampleRate, "Sample rate, Hz");
    app.add_option("--samples", s.sampleCount, "Samples N per correlation block (power of two 512..8192)");
    app.add_option("--side-blocks", s.maxSideBlocks, "Side block pairs stored (0..2)")->check(CLI::Range(0, 2));
    app.add_option("--snr", s.snrDb,
                   "Leak power at the quieter sensor over the sensors' self-noise in the leak's band, dB (default 10)");
    app.add_option("--frames", s.frames, "Frames the correlator averages, 1..256 (default 16)");
    app.add_option("--seed", s.seed, "Seed of the random noise");
    app.add_option("--band", band, "Leak noise band LOW,HIGH in Hz (default from the materials)");
    app.add_option("--hum", hum,
                   "Mains hum and its harmonics on both sensors: 50|60[,LEVEL_DB] (fundamental over the leak's "
                   "power at the quieter sensor; default 6 dB)");
    app.add_option("--source", sources,
                   "Another noise source (pump, hydrant in use) DIST,LEVEL_DB[,LO:HI]: m from sensor 1 (negative or "
                   "past the pipe's end = beyond a sensor), power over the leak's, band in Hz (default: a leak's)");
    app.add_option("--second-leak", secondLeak, "A second leak DIST[,LEVEL_DB] (m from sensor 1, dB over the first)");
    app.add_option("--reflection", reflections,
                   "Echo of the leak's noise at the joint after segment JOINT[,COEFFICIENT] (default: from the "
                   "two segments' impedances)");
    app.add_option("--title", s.title, "Title");
    app.add_option("--comment", comments, "Comment line (up to three)");
    app.add_option("--user-reference", s.userReference, "User reference");
    app.add_option("--date", s.createdDate, "Creation date text");
    app.add_option("--time", s.createdTime, "Creation time text");
    app.add_option("--low-cutoff", s.filter.lowCutoff, "Low cut-off frequency, Hz (0 = off)");
    app.add_option("--high-cutoff", s.filter.highCutoff, "High cut-off frequency, Hz (0 = off)");
    app.add_option("--notch", notches, "Notch filter START,END in Hz (up to five)");
    app.add_flag("--auto-filter", autoFilter, "Mark the instrument's auto filter as on (notches then not applied)");

    if (const int code = ParseCommandLine(app, args, out, err); code >= 0) return code;

    auto usage = [&err](const std::string& message) {
        err << "kedgen: " << message << '\n';
        return 2;
    };
    for (const std::string& text : segments) {
        SegmentSpec seg;
        if (const std::string e = ParseSegment(text, seg); !e.empty()) return usage(e);
        s.segments.push_back(seg);
    }
    if (!band.empty() && !ParsePair(band, s.bandLow, s.bandHigh)) return usage("--band expects LOW,HIGH");
    if (!hum.empty() && !ParseOneOrTwo(hum, s.hum.frequency, s.hum.levelDb))
        return usage("--hum expects 50|60[,LEVEL_DB]");
    for (const std::string& text : sources) {
        SourceSpec src;
        if (!ParseSource(text, src)) return usage("--source expects DIST,LEVEL_DB[,LO:HI], got \"" + text + "\"");
        s.sources.push_back(src);
    }
    if (!secondLeak.empty()) {
        SourceSpec leak;
        leak.leak = true;
        if (!ParseOneOrTwo(secondLeak, leak.distance, leak.levelDb))
            return usage("--second-leak expects DIST[,LEVEL_DB]");
        s.sources.push_back(leak);
    }
    for (const std::string& text : reflections) {
        ReflectionSpec r;
        if (!ParseOneOrTwo(text, r.joint, r.coefficient)) return usage("--reflection expects JOINT[,COEFFICIENT]");
        s.reflections.push_back(r);
    }
    if (notches.size() > std::size_t(vexlan::kNotchCount)) return usage("at most five notches");
    for (std::size_t i = 0; i < notches.size(); ++i)
        if (!ParsePair(notches[i], s.filter.notches[i].notchStart, s.filter.notches[i].notchEnd))
            return usage("--notch expects START,END");
    if (comments.size() > 3) return usage("at most three comment lines");
    s.comment1 = comments.size() > 0 ? comments[0] : "";
    s.comment2 = comments.size() > 1 ? comments[1] : "";
    s.comment3 = comments.size() > 2 ? comments[2] : "";
    s.filter.autoFilter = autoFilter ? 1 : 0;

    return -1;
}

int ParseCommandLine(CLI::App& app, const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        return app.exit(e, out, err) == 0 ? 0 : 2;
    }
    return -1;
}

int RunKedgen(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (std::find(args.begin(), args.end(), "--corpus") != args.end()) return RunCorpus(args, out, err);
    GeneratorSettings s;
    std::string output;
    if (const int code = ParseFileArguments(args, s, output, out, err); code >= 0) return code;
    CorrelationRecord record;
    std::string error;
    if (!GenerateRecord(s, record, error)) {
        err << "kedgen: " << error << '\n';
        return 2;
    }
    if (!WriteKedFile(output, record, error)) {
        err << "kedgen: " << error << '\n';
        return 1;
    }
    return 0;
}

}  // namespace vexlan::kedgen
