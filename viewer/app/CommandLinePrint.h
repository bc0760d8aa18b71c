#pragma once
// "Vexlan --print FILE.ked [--pdf OUT.pdf]": the file manager's print verb. Prints the page of
// the file to the default printer (or writes it as PDF) with the stored units and quits, without
// showing the main window.

#include <QStringList>

namespace vexlan {

// Whether the arguments ask for printing.
bool IsPrintRequest(const QStringList& arguments);

// Runs the request; messages go to standard error. Returns the process exit code.
int RunPrintRequest(const QStringList& arguments);

}  // namespace vexlan
