#include "view/print/PagePainter.h"
#include "res/StringIds.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "storage/SafeFileWriter.h"

namespace vexlan {
namespace {

constexpr double kUnitsPerInch = 254.0;  // 0.1 mm
constexpr double kPointsPerInch = 72.0;

QColor ToColour(Rgb rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

class DeviceMap {
public:
    DeviceMap(double dpiX, double dpiY) : sx_(dpiX / kUnitsPerInch), sy_(dpiY / kUnitsPerInch), dpiY_(dpiY) {}
    QPointF Point(int x, int y) const { return {x * sx_, -y * sy_}; }
    double Width(int units) const { return units * sx_; }
    // A point size for this device, as a pixel height so a scaled painter cannot change it.
    int FontPixels(int points) const {
        return std::max(1, static_cast<int>(std::lround(points * dpiY_ / kPointsPerInch)));
    }

private:
    double sx_, sy_, dpiY_;
};

void DrawText(QPainter& painter, const DeviceMap& map, const PagePrimitive& p) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(map.FontPixels(p.fontPoints));
    const QString text = QString::fromStdString(p.text);
    const double fullAscent = QFontMetricsF(font, painter.device()).ascent();
    // Trailing blanks part a label from what follows; they need not fit the cell.
    const QString inked = QString(text).remove(QRegularExpression(QStringLiteral("\\s+$")));
    const bool celled = p.cellRight > p.cellLeft;
    const double cellLeft = map.Point(p.cellLeft, 0).x(), cellWidth = map.Width(p.cellRight - p.cellLeft);
    // The page's fonts are whatever the system offers for Arial: a text too wide for its cell
    // gets a smaller size until it fits.
    while (celled && font.pixelSize() > 1 && QFontMetricsF(font, painter.device()).horizontalAdvance(inked) > cellWidth)
        font.setPixelSize(font.pixelSize() - 1);
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    const QPointF at = map.Point(p.x1, p.y1);
    double x = at.x();
    double width = metrics.horizontalAdvance(text);
    if (p.align == TextAlign::Centre) x -= width / 2;
    if (p.align == TextAlign::Right) x -= width;
    if (celled) {
        x = std::max(cellLeft, std::min(x, cellLeft + cellWidth - metrics.horizontalAdvance(inked)));
        width = std::min(width, cellLeft + cellWidth - x);  // the blank after it stays in the cell too
    }
    // Texts hang from their reference point: its y is the top of the text. Their cells are
    // opaque, so a heading set on a frame's edge interrupts the line like a group box caption.
    painter.fillRect(QRectF(x, at.y(), width, metrics.height()), Qt::white);
    painter.setPen(QPen(Qt::black));
    // A text made smaller keeps the baseline of its row.
    painter.drawText(QPointF(x, at.y() + fullAscent), text);
}

// The safe writer's refusals say what is wrong with the path; its other failures are this output's.
int OutputError(int writerError) {
    if (writerError == 0 || writerError == string_id::kMsgOutputNotRegular ||
        writerError == string_id::kMsgOutputReadOnly)
        return writerError;
    return string_id::kMsgCannotWriteOutput;
}

QPen LinePen(const DeviceMap& map, const PagePrimitive& p) {
    if (p.penWidth == 0 && !p.dashed) return QPen(ToColour(p.colour), 0);  // the thinnest line
    QPen pen(ToColour(p.colour), std::max(1.0, map.Width(std::max(p.penWidth, 1))));
    pen.setCapStyle(Qt::FlatCap);
    if (p.dashed) pen.setStyle(Qt::DashLine);
    return pen;
}

}  // namespace

void PaintPage(QPainter& painter, const std::vector<PagePrimitive>& page, double dpiX, double dpiY) {
    const DeviceMap map(dpiX, dpiY);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    for (const PagePrimitive& p : page) {
        switch (p.kind) {
        case PrimitiveKind::Text: DrawText(painter, map, p); break;
        case PrimitiveKind::Line:
            painter.setPen(LinePen(map, p));
            painter.drawLine(map.Point(p.x1, p.y1), map.Point(p.x2, p.y2));
            break;
        case PrimitiveKind::Rect:
            painter.setPen(QPen(Qt::black, 0));
            painter.drawRect(QRectF(map.Point(p.x1, p.y1), map.Point(p.x2, p.y2)).normalized());
            break;
        }
    }
    painter.restore();
}

void UseDefaultPageSetup(QPagedPaintDevice& device) {
    // The layout spans 4..263 mm across and 10..200 mm down: 5 mm margins keep it whole on A4
    // and Letter in landscape.
    device.setPageOrientation(QPageLayout::Landscape);
    device.setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
}

bool PrintPage(QPrinter& printer, const std::vector<PagePrimitive>& page, int& errorId, bool replaceReadOnly) {
    // Printing to a file makes the PDF in memory with the printer's page setup and has the safe
    // writer put it in place: the printer's own file output drops write errors.
    if (!printer.outputFileName().isEmpty()) {
        QByteArray pdf;
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageLayout(printer.pageLayout());
        writer.setResolution(printer.resolution());
        writer.setCreator(QStringLiteral("Vexlan"));
        QPainter painter;
        bool ok = painter.begin(&writer);
        if (ok) {
            PaintPage(painter, page, writer.resolution(), writer.resolution());
            ok = painter.end();
        }
        errorId = ok ? OutputError(WriteFileSafely(printer.outputFileName().toStdString(), pdf.constData(),
                                                   std::size_t(pdf.size()), SafeWriteOptions{replaceReadOnly}))
                     : string_id::kMsgCannotWriteOutput;
        return errorId == 0;
    }
    QPainter painter;
    bool ok = painter.begin(&printer);
    if (ok) {
        PaintPage(painter, page, printer.logicalDpiX(), printer.logicalDpiY());
        ok = painter.end();
    }
    if (!ok) errorId = string_id::kMsgPrinterFailed;
    return ok;
}

bool WritePagePdf(const std::string& path, const std::vector<PagePrimitive>& page, int& errorId) {
    // Made in memory and written out by the safe writer, which checks every write and the close:
    // the PDF writer would not report a full disk.
    QByteArray pdf;
    bool ok = false;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        UseDefaultPageSetup(writer);
        writer.setCreator(QStringLiteral("Vexlan"));
        QPainter painter;
        if (painter.begin(&writer)) {
            PaintPage(painter, page, writer.resolution(), writer.resolution());
            ok = painter.end();
        }
    }
    errorId = ok ? OutputError(WriteFileSafely(path, pdf.constData(), std::size_t(pdf.size())))
                 : string_id::kMsgCannotWriteOutput;
    return errorId == 0;
}

bool WriteImageFile(const std::string& path, const QImage& image, int& errorId) {
    const std::size_t dot = path.find_last_of('.');
    const std::string format = dot == std::string::npos ? "PNG" : path.substr(dot + 1);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const bool ok = image.save(&buffer, format.c_str());
    errorId = ok ? OutputError(WriteFileSafely(path, bytes.constData(), std::size_t(bytes.size())))
                 : string_id::kMsgCannotWriteOutput;
    return errorId == 0;
}

}  // namespace vexlan
