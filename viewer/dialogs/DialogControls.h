#pragma once
// Small helpers the dialogs share: control placement in dialog units and object names by id.

#include <QString>
#include <QWidget>

namespace vexlan {

// Dialog units of the 8-point dialog font to pixels, as the main form converts them.
constexpr int DialogX(int du) { return du * 6 / 4; }
constexpr int DialogY(int du) { return du * 13 / 8; }

inline QString DialogObjectName(int id) { return QStringLiteral("IDC_%1").arg(id); }

template <class W>
W* PlaceDu(W* widget, int id, int x, int y, int width, int height) {
    if (id) widget->setObjectName(DialogObjectName(id));
    widget->setGeometry(DialogX(x), DialogY(y), DialogX(width), DialogY(height));
    return widget;
}

template <class W>
W* PlacePx(W* widget, int id, int x, int y, int width, int height) {
    if (id) widget->setObjectName(DialogObjectName(id));
    widget->setGeometry(x, y, width, height);
    return widget;
}

}  // namespace vexlan
