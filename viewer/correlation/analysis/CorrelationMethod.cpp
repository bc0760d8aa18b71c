#include "correlation/analysis/CorrelationMethod.h"
#include "res/StringIds.h"

namespace vexlan::analysis {

namespace {
constexpr CorrelationMethod kMethods[] = {CorrelationMethod::Basic, CorrelationMethod::Scot, CorrelationMethod::Phat,
                                          CorrelationMethod::Auto};
}

const char* MethodKey(CorrelationMethod method) {
    switch (method) {
    case CorrelationMethod::Basic: return "basic";
    case CorrelationMethod::Scot: return "scot";
    case CorrelationMethod::Phat: return "phat";
    case CorrelationMethod::Auto: return "auto";
    }
    return "basic";
}

bool ParseMethodKey(const std::string& key, CorrelationMethod& method) {
    for (CorrelationMethod m : kMethods)
        if (key == MethodKey(m)) {
            method = m;
            return true;
        }
    return false;
}

int MethodTextId(CorrelationMethod method) { return string_id::kMethodTextBase + int(method); }

}  // namespace vexlan::analysis
