#pragma once
// Builds a complete correlation record from generator settings and writes it as a .ked file.

#include <string>

#include "correlation/CorrelationRecord.h"
#include "testsupport/generator/GeneratorSettings.h"

namespace vexlan::kedgen {

// Fills the record; false with a message when the settings cannot give a usable recording
// (the record is then left as it was).
bool GenerateRecord(const GeneratorSettings& settings, CorrelationRecord& record, std::string& error);

// Writes the record as a complete new file, replacing an existing one only once the new file
// has been written in full.
bool WriteKedFile(const std::string& path, const CorrelationRecord& record, std::string& error);

}  // namespace vexlan::kedgen
