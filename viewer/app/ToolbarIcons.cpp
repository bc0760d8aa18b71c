#include "app/ToolbarIcons.h"

#include <QPainter>
#include <QPixmap>

#include "app/FrameCommands.h"

namespace vexlan {
namespace {

constexpr int kWidth = 16;
constexpr int kHeight = 15;

void DrawOpen(QPainter& p) {
    p.setPen(QColor(0, 0, 0));
    p.setBrush(QColor(255, 255, 0));
    p.drawRect(1, 4, 12, 9);  // folder back
    p.setBrush(QColor(192, 192, 0));
    p.drawPolygon(QPolygon({QPoint(1, 13), QPoint(4, 7), QPoint(15, 7), QPoint(13, 13)}));
    p.setPen(QColor(0, 0, 0));
    p.drawLine(8, 1, 12, 1);  // opening arrow
    p.drawLine(12, 1, 14, 3);
}

void DrawSave(QPainter& p) {
    p.setPen(QColor(0, 0, 0));
    p.setBrush(QColor(0, 0, 128));
    p.drawRect(1, 1, 13, 13);
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(3, 1, 9, 5);  // label
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(4, 9, 7, 5);  // shutter
}

void DrawPrint(QPainter& p) {
    p.setPen(QColor(0, 0, 0));
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(4, 0, 8, 6);  // paper
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(1, 6, 14, 6);  // body
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(4, 10, 8, 4);  // paper out
    p.setPen(QColor(0, 160, 0));
    p.drawPoint(13, 8);
}

void DrawAbout(QPainter& p) {
    p.setPen(QColor(0, 0, 0));
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(1, 0, 13, 13);
    QFont font = p.font();
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0, 0, 160));
    p.drawText(QRect(1, 0, 14, 14), Qt::AlignCenter, "?");
}

}  // namespace

QIcon ToolbarIcon(int commandId) {
    QPixmap pixmap(kWidth, kHeight);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    switch (commandId) {
    case cmd::kOpen: DrawOpen(painter); break;
    case cmd::kSave: DrawSave(painter); break;
    case cmd::kPrint: DrawPrint(painter); break;
    case cmd::kAbout: DrawAbout(painter); break;
    default: break;
    }
    painter.end();
    return QIcon(pixmap);
}

}  // namespace vexlan
