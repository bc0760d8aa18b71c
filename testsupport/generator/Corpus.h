#pragma once
// kedgen --corpus DIR --count N --seed S [--scenario NAME ...]: a set of recordings for
// benchmarking leak analysis, each drawn at random within a scenario (clean, hum, pump,
// low-snr, reflection, two-leaks), and manifest.json with the truth of each: where the leak
// is, its delay, what else is on the pipe and how close an answer must come.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "testsupport/generator/GeneratorSettings.h"

namespace vexlan::kedgen {

const std::vector<std::string>& CorpusScenarios();

// The kedgen arguments (without -o) of one recording of the scenario, drawn from the seed.
std::vector<std::string> CorpusItemArguments(const std::string& scenario, std::uint64_t seed);

// What the recording made from the settings holds: pipe, leak(s), interferers, tolerance.
nlohmann::json RecordingTruth(const GeneratorSettings& settings);

int RunCorpus(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vexlan::kedgen
