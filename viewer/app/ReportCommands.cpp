#include "app/ReportCommands.h"
#include "res/StringIds.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "dialogs/CFileInformationDlg.h"
#include "dialogs/CFilterSettingsDlg.h"
#include "app/CMainFrame.h"
#include "view/print/PagePainter.h"
#include "view/print/ReportFromDocument.h"
#include "view/print/ReportFromView.h"
#include "view/print/ReportText.h"
#include "storage/SafeFileWriter.h"

namespace vexlan {
namespace {

bool RunQtPrintDialog(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(1, 1);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace

ReportCommands::ReportCommands(CMainFrame& frame)
    : QObject(&frame), frame_(frame), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    UseDefaultPageSetup(*printer_);
    runPrintDialog_ = [this](QPrinter& printer) { return RunQtPrintDialog(printer, &frame_); };
}

ReportCommands::~ReportCommands() = default;

ReportValues ReportCommands::WithMethodLine(ReportValues values) const {
    values.methodLine = frame_.viewDocument().MethodReportLine();
    return values;
}

std::string ReportCommands::ReportText() const {
    CVexlanView& view = frame_.view();
    return BuildReportText(FormTextsFromControls(view.controlTexts(), view.logic().Fields()),
                           WithMethodLine(ReportValuesFromDocument(frame_.document())));
}

std::vector<PagePrimitive> ReportCommands::Page() const {
    const CVexlanView& view = frame_.view();
    return BuildPage(WithMethodLine(ReportValuesFromDocument(frame_.document())), view.lengthUnit(), view.timeUnit());
}

void ReportCommands::Warn(int stringId) {
    AskString(frame_.prompt(), stringId, PromptIcon::Warning, PromptButtons::Ok);
}

void ReportCommands::CopyText() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QString text = QString::fromStdString(ReportText());
    if (!clipboard) return Warn(string_id::kMsgClipboard);
    clipboard->setText(text);
    // A clipboard that did not take the text (no clipboard service) says so instead of failing silently.
    if (clipboard->text() != text) Warn(string_id::kMsgClipboard);
}

void ReportCommands::CopyGraph() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return Warn(string_id::kMsgClipboard);
    const QImage graph = frame_.view().graphImage();
    clipboard->setImage(graph);
    if (clipboard->image().size() != graph.size()) Warn(string_id::kMsgClipboard);
}

void ReportCommands::Print() {
    printer_->setFromTo(1, 1);
    if (!runPrintDialog_(*printer_)) return;  // cancelled
    // Without a file to print to, there has to be a printer (with none installed, Qt quietly turns
    // the printer into a PDF writer that has no file name).
    const bool toFile = !printer_->outputFileName().isEmpty();
    if (!toFile && (printer_->outputFormat() != QPrinter::NativeFormat || printer_->printerName().isEmpty()))
        return Warn(string_id::kMsgNoPrinter);
    int errorId = 0;
    if (PrintPage(*printer_, Page(), errorId)) return;
    // A read-only file is replaced only when the user says so.
    if (errorId == string_id::kMsgOutputReadOnly) {
        if (AskString(frame_.prompt(), string_id::kMsgOutputReadOnly, PromptIcon::Question, PromptButtons::YesNo) !=
                PromptAnswer::Yes ||
            PrintPage(*printer_, Page(), errorId, true))
            return;
    }
    Warn(errorId);
}

void ReportCommands::PrintPreview() {
    if (preview_) return;
    QPrintPreviewDialog dialog(printer_.get(), &frame_);
    dialog.setObjectName(QStringLiteral("PrintPreview"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* printer) {
        QPainter painter(printer);
        PaintPage(painter, Page(), printer->logicalDpiX(), printer->logicalDpiY());
    });
    preview_ = &dialog;
    dialog.exec();
    preview_ = nullptr;
}

void ReportCommands::PrintSetup() {
    QPageSetupDialog dialog(printer_.get(), &frame_);
    dialog.exec();
}

void ReportCommands::FileInformation() { RunFileInformationDialog(&frame_, frame_.document(), frame_.prompt()); }

void ReportCommands::ModifyFilter() {
    if (RunFilterSettingsDialog(&frame_, frame_.document(), frame_.prompt())) frame_.view().OnUpdate(kRefreshHint);
}

ReportCommands& InstallReportCommands(CMainFrame& frame) {
    auto* commands = new ReportCommands(frame);
    frame.SetCommandHandler(cmd::kCopyText, [commands] { commands->CopyText(); });
    frame.SetCommandHandler(cmd::kCopyGraph, [commands] { commands->CopyGraph(); });
    frame.SetCommandHandler(cmd::kPrint, [commands] { commands->Print(); });
    frame.SetCommandHandler(cmd::kPrintPreview, [commands] { commands->PrintPreview(); });
    frame.SetCommandHandler(cmd::kPrintSetup, [commands] { commands->PrintSetup(); });
    frame.SetCommandHandler(cmd::kFileInformation, [commands] { commands->FileInformation(); });
    frame.view().SetModifyHandler([commands] { commands->ModifyFilter(); });
    frame.SetPrintPreviewHooks([commands] { return commands->PreviewShowing(); },
                               [commands] {
                                   if (QWidget* preview = QApplication::activeModalWidget()) preview->close();
                               });
    return *commands;
}

}  // namespace vexlan
