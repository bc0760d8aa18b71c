#pragma once
// Reads the report's values from the document through its accessors.

#include "correlation/CVexlanDoc.h"
#include "view/print/ReportModel.h"

namespace vexlan {

ReportValues ReportValuesFromDocument(const CVexlanDoc& doc);

}  // namespace vexlan
