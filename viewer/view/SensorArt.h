#pragma once
// Which sensor units made a recording, and our own pictures of them.

#include "raster/PixelBuffer.h"

namespace vexlan {

enum class SensorKind { Red, Blue, Yellow, Handset };

struct SensorPictures {
    SensorKind left;
    SensorKind right;
};

// Ranked red, blue, yellow, handset: the lower-ranked unit is sensor 1 (left). False for a pair
// that is not one of the six valid codes.
bool SensorPicturesFor(int sensorPair, SensorPictures& pictures);

Rgb SensorColour(SensorKind kind);

// 40 x 51 for a sensor, 48 x 51 for the handset; white background.
PixelBuffer DrawSensorPicture(SensorKind kind);

}  // namespace vexlan
