#pragma once
// Small helpers the dialogs share: control placement in dialog units, object names by id, and
// texts from the string table.

#include <QString>
#include <QWidget>

#include "res/StringTable.h"
#include "view/FormTemplate.h"

namespace vexlan {

inline QString TableText(int id) { return QString::fromUtf8(LoadString(id)); }

inline QString DialogObjectName(int id) { return QStringLiteral("IDC_%1").arg(id); }

template <class W>
W* PlaceDu(W* widget, int id, int x, int y, int width, int height) {
    if (id) widget->setObjectName(DialogObjectName(id));
    widget->setGeometry(DuToPixelsX(x), DuToPixelsY(y), DuToPixelsX(width), DuToPixelsY(height));
    return widget;
}

template <class W>
W* PlacePx(W* widget, int id, int x, int y, int width, int height) {
    if (id) widget->setObjectName(DialogObjectName(id));
    widget->setGeometry(x, y, width, height);
    return widget;
}

}  // namespace vexlan
