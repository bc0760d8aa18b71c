#pragma once
// A plain 32-bit RGB pixel image that the graph rasters draw into. It has no knowledge of any
// window system, so the drawing is testable pixel by pixel; the viewer only shows the buffer.

#include <cstdint>
#include <vector>

namespace vexlan {

// 0x00RRGGBB
using Rgb = std::uint32_t;
constexpr Rgb MakeRgb(int r, int g, int b) {
    return (static_cast<Rgb>(r & 0xFF) << 16) | (static_cast<Rgb>(g & 0xFF) << 8) | static_cast<Rgb>(b & 0xFF);
}
constexpr Rgb kBlack = MakeRgb(0, 0, 0);
constexpr Rgb kWhite = MakeRgb(255, 255, 255);

class PixelBuffer {
public:
    PixelBuffer(int width, int height, Rgb fill = kWhite)
        : width_(width > 0 ? width : 0),
          height_(height > 0 ? height : 0),
          pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill) {}

    int width() const { return width_; }
    int height() const { return height_; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    // Drawing outside the buffer is clipped, never an error.
    void Set(int x, int y, Rgb c) {
        if (Contains(x, y)) pixels_[Index(x, y)] = c;
    }
    Rgb At(int x, int y) const { return Contains(x, y) ? pixels_[Index(x, y)] : kBlack; }

    void Fill(Rgb c) { pixels_.assign(pixels_.size(), c); }
    // Fills the half-open rectangle [left, right) × [top, bottom), clipped to the buffer.
    void FillRect(int left, int top, int right, int bottom, Rgb c) {
        for (int y = top < 0 ? 0 : top; y < bottom && y < height_; ++y)
            for (int x = left < 0 ? 0 : left; x < right && x < width_; ++x) pixels_[Index(x, y)] = c;
    }
    void VLine(int x, int top, int bottom, Rgb c) { FillRect(x, top, x + 1, bottom, c); }
    void HLine(int left, int right, int y, Rgb c) { FillRect(left, y, right, y + 1, c); }

    const Rgb* data() const { return pixels_.data(); }

private:
    std::size_t Index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
    }
    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};

}  // namespace vexlan
