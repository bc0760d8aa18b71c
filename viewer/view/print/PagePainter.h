#pragma once
// Paints the page primitives onto any Qt paint device (printer, preview, PDF). All layout is in
// the primitives; this only maps 0.1 mm units to device pixels and draws.

#include <QPainter>
#include <string>
#include <vector>

#include "view/print/PageLayout.h"

class QPagedPaintDevice;
class QPrinter;

namespace vexlan {

// Draws the page with its origin at the painter's origin (the top left of the printable area).
void PaintPage(QPainter& painter, const std::vector<PagePrimitive>& page, double dotsPerInchX, double dotsPerInchY);

// The page as printed: one landscape page. False, with the string-table id of the message, when
// the device could not start the page.
// Printing to a file goes through the safe writer (SafeFileWriter.h), which leaves a read-only
// file alone unless replaceReadOnly.
bool PrintPage(QPrinter& printer, const std::vector<PagePrimitive>& page, int& errorId, bool replaceReadOnly = false);

// Writes the page as a one-page landscape PDF; the file appears under its name only when complete.
// errorId is that of the safe writer (SafeFileWriter.h): a read-only file is not replaced.
bool WritePagePdf(const std::string& path, const std::vector<PagePrimitive>& page, int& errorId);

// Writes an image file (format from the extension); the same rule for a half-written file.
bool WriteImageFile(const std::string& path, const class QImage& image, int& errorId);

// The page setup the application starts with: landscape, margins inside which the layout fits.
void UseDefaultPageSetup(QPagedPaintDevice& device);

}  // namespace vexlan
