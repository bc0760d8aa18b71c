#pragma once
// A document that recomputes a generated record, and the shared test files.

#include <memory>

#include "correlation/CVexlanDoc.h"
#include "testsupport/TestFiles.h"
#include "correlation/CorrelationRecord.h"
#include "res/Prompt.h"

namespace vexlan::test {

// A document holding a copy of the record, recomputed as the viewer does after opening it.
struct Recomputed {
    ScriptedPrompt prompt;
    std::unique_ptr<CVexlanDoc> doc;

    explicit Recomputed(const CorrelationRecord& record) : doc(std::make_unique<CVexlanDoc>(prompt)) {
        doc->record() = record;
        doc->RecomputeCorrelation();
    }
};

}  // namespace vexlan::test
