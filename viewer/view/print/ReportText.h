#pragma once
// The plain-text report that Copy Text puts on the clipboard and the command-line tool prints.

#include <string>

#include "view/print/ReportModel.h"

namespace vexlan {

// Lines end in a single line feed; the last line (the notch filter) has none.
std::string BuildReportText(const FormTexts& form, const ReportValues& values);

}  // namespace vexlan
