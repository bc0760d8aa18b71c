#pragma once
// Reads the report's values from the document through its accessors.

#include "CVexlanDoc.h"
#include "ReportModel.h"

namespace vexlan {

ReportValues ReportValuesFromDocument(const CVexlanDoc& doc);

}  // namespace vexlan
