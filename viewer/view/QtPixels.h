#pragma once
// Showing the Qt-free rasters and drawing the form's small pictures.

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "PixelBuffer.h"

namespace vexlan {

// A deep copy: the buffer's 0x00RRGGBB pixels are exactly Qt's RGB32 layout.
inline QImage ToImage(const PixelBuffer& buffer) {
    QImage view(reinterpret_cast<const uchar*>(buffer.data()), buffer.width(), buffer.height(),
                buffer.width() * 4, QImage::Format_RGB32);
    return view.copy();
}

inline QPixmap ToPixmap(const PixelBuffer& buffer) { return QPixmap::fromImage(ToImage(buffer)); }

// The arrow buttons beside the graph: a solid triangle pointing left or right.
QIcon ArrowIcon(bool pointsLeft);

}  // namespace vexlan
