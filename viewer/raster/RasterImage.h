#pragma once
// The one way a Qt-free raster becomes something Qt can show or save.

#include <QImage>
#include <QPixmap>

#include "raster/PixelBuffer.h"

namespace vexlan {

// A deep copy: the buffer's 0x00RRGGBB pixels are exactly Qt's RGB32 layout.
inline QImage ToImage(const PixelBuffer& buffer) {
    QImage view(reinterpret_cast<const uchar*>(buffer.data()), buffer.width(), buffer.height(), buffer.width() * 4,
                QImage::Format_RGB32);
    return view.copy();
}

inline QPixmap ToPixmap(const PixelBuffer& buffer) { return QPixmap::fromImage(ToImage(buffer)); }

}  // namespace vexlan
