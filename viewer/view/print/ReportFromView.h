#pragma once
// The report's form texts from what the form view's controls show, and the correlation graph
// picture for a report made without a window.

#include "view/FormViewLogic.h"
#include "raster/PixelBuffer.h"
#include "view/print/ReportModel.h"

namespace vexlan {

FormTexts FormTextsFromControls(const FormControlsState& controls, const FormFields& fields);

// The graph as the form shows it after a load: bars and the cursor at the document's column.
PixelBuffer GraphPicture(const ReportValues& values, float totalTravelTime);

}  // namespace vexlan
