#pragma once
// Showing the Qt-free rasters and drawing the form's small pictures.

#include <QIcon>

#include "raster/RasterImage.h"

namespace vexlan {

// The arrow buttons beside the graph: a solid triangle pointing left or right.
QIcon ArrowIcon(bool pointsLeft);

}  // namespace vexlan
