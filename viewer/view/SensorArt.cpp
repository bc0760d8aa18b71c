#include "view/SensorArt.h"

namespace vexlan {
namespace {

constexpr Rgb kOutline = MakeRgb(40, 40, 40);
constexpr Rgb kMagnet = MakeRgb(70, 70, 70);
constexpr Rgb kCable = MakeRgb(20, 20, 20);
constexpr Rgb kScreen = MakeRgb(60, 90, 70);
constexpr Rgb kKey = MakeRgb(90, 90, 90);

Rgb Darker(Rgb c) {
    int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return MakeRgb(r * 2 / 3, g * 2 / 3, b * 2 / 3);
}

void OutlinedRect(PixelBuffer& p, int l, int t, int r, int b, Rgb fill) {
    p.FillRect(l, t, r, b, kOutline);
    p.FillRect(l + 1, t + 1, r - 1, b - 1, fill);
}

// A ground microphone: cable out of the top, a cylindrical body, a dark magnet foot.
void DrawSensor(PixelBuffer& p, Rgb colour) {
    p.FillRect(19, 0, 21, 10, kCable);
    OutlinedRect(p, 12, 8, 28, 14, Darker(colour));
    OutlinedRect(p, 8, 13, 32, 41, colour);
    p.FillRect(11, 16, 13, 38, MakeRgb(255, 255, 255));  // highlight
    OutlinedRect(p, 6, 40, 34, 48, kMagnet);
}

// The correlator handset: a grey box with a display and a key pad.
void DrawHandset(PixelBuffer& p) {
    constexpr Rgb kBody = MakeRgb(160, 160, 160);
    OutlinedRect(p, 6, 3, 42, 49, kBody);
    OutlinedRect(p, 10, 7, 38, 21, kScreen);
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 3; ++col) p.FillRect(12 + col * 9, 25 + row * 6, 18 + col * 9, 29 + row * 6, kKey);
}

}  // namespace

bool SensorPicturesFor(int sensorPair, SensorPictures& pictures) {
    switch (sensorPair) {
    case 3: pictures = {SensorKind::Red, SensorKind::Handset}; return true;
    case 5: pictures = {SensorKind::Blue, SensorKind::Handset}; return true;
    case 6: pictures = {SensorKind::Red, SensorKind::Blue}; return true;
    case 9: pictures = {SensorKind::Yellow, SensorKind::Handset}; return true;
    case 10: pictures = {SensorKind::Red, SensorKind::Yellow}; return true;
    case 12: pictures = {SensorKind::Blue, SensorKind::Yellow}; return true;
    default: return false;
    }
}

Rgb SensorColour(SensorKind kind) {
    switch (kind) {
    case SensorKind::Red: return MakeRgb(220, 30, 30);
    case SensorKind::Blue: return MakeRgb(30, 70, 220);
    case SensorKind::Yellow: return MakeRgb(240, 210, 20);
    case SensorKind::Handset: break;
    }
    return MakeRgb(160, 160, 160);
}

PixelBuffer DrawSensorPicture(SensorKind kind) {
    if (kind == SensorKind::Handset) {
        PixelBuffer p(48, 51);
        DrawHandset(p);
        return p;
    }
    PixelBuffer p(40, 51);
    DrawSensor(p, SensorColour(kind));
    return p;
}

}  // namespace vexlan
