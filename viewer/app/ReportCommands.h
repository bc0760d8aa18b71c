#pragma once
// The main window's report commands: Copy Text, Copy Graph, Print, Print Preview, Print Setup,
// and the document's two dialogs (File Information, and Filter Settings behind the form's Modify
// button). Installed into the frame through its command handlers.

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "view/print/PageLayout.h"

class QPrinter;
class QPrintPreviewDialog;

namespace vexlan {

class CMainFrame;

class ReportCommands : public QObject {
    Q_OBJECT
public:
    explicit ReportCommands(CMainFrame& frame);
    ~ReportCommands() override;

    void CopyText();
    void CopyGraph();
    void Print();
    void PrintPreview();
    void PrintSetup();
    void FileInformation();
    void ModifyFilter();

    // What the commands put out for the current document and form.
    std::string ReportText() const;
    std::vector<PagePrimitive> Page() const;

    QPrinter& printer() { return *printer_; }
    // The print dialog; tests replace it. Returns false when the user cancelled.
    void SetPrintDialog(std::function<bool(QPrinter&)> run) { runPrintDialog_ = std::move(run); }
    bool PreviewShowing() const { return preview_ != nullptr; }

private:
    // The document's values with the line of a correlation method other than the plain one.
    ReportValues WithMethodLine(ReportValues values) const;
    void Warn(int stringId);

    CMainFrame& frame_;
    std::unique_ptr<QPrinter> printer_;
    std::function<bool(QPrinter&)> runPrintDialog_;
    QPrintPreviewDialog* preview_ = nullptr;
};

// Creates the commands (owned by the frame) and routes the frame's commands to them.
ReportCommands& InstallReportCommands(CMainFrame& frame);

}  // namespace vexlan
