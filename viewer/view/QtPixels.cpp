#include "view/QtPixels.h"

#include <QPainter>
#include <QPolygon>

namespace vexlan {

QIcon ArrowIcon(bool pointsLeft) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 128));
    QPolygon triangle;
    if (pointsLeft)
        triangle << QPoint(6, 16) << QPoint(24, 4) << QPoint(24, 28);
    else
        triangle << QPoint(26, 16) << QPoint(8, 4) << QPoint(8, 28);
    painter.drawPolygon(triangle);
    painter.end();
    return QIcon(pixmap);
}

}  // namespace vexlan
