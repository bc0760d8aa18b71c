#pragma once
// How the correlation is weighted before it is turned into lags.

#include <string>

namespace vexlan::analysis {

enum class CorrelationMethod {
    Basic,  // the recomputation exactly as the instrument prescribes it
    Scot,   // cross-spectrum over the geometric mean of the two sensor spectra
    Phat,   // cross-spectrum over its own magnitude: phase only
    Auto,   // the method and band the analysis judges best
};

// "basic", "scot", "phat", "auto": the names of the command line and the settings.
const char* MethodKey(CorrelationMethod method);
bool ParseMethodKey(const std::string& key, CorrelationMethod& method);
// The string-table text of the method as the user sees it.
int MethodTextId(CorrelationMethod method);

}  // namespace vexlan::analysis
