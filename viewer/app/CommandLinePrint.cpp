#include "app/CommandLinePrint.h"
#include "res/StringIds.h"

#include <QCommandLineParser>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextStream>

#include "app/AppSettings.h"
#include "correlation/CVexlanDoc.h"
#include "view/print/PagePainter.h"
#include "app/QtSettingsStore.h"
#include "view/print/ReportFromDocument.h"
#include "storage/SafeFileWriter.h"
#include "res/StringTable.h"

namespace vexlan {
namespace {

// Messages of an unattended run go to standard error; questions get No.
class StderrPrompt : public IPrompt {
public:
    PromptAnswer Ask(const std::string& text, PromptIcon, PromptButtons buttons) override {
        QTextStream(stderr) << QString::fromStdString(text) << '\n';
        return buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::No;
    }
};

}  // namespace

bool IsPrintRequest(const QStringList& arguments) { return arguments.contains(QStringLiteral("--print")); }

int RunPrintRequest(const QStringList& arguments) {
    QCommandLineParser parser;
    QCommandLineOption print("print", "Print the correlation file's page to the default printer.", "file");
    QCommandLineOption pdf("pdf", "With --print: write the page to this PDF file instead.", "path");
    parser.addOption(print);
    parser.addOption(pdf);
    QTextStream err(stderr);
    if (!parser.parse(arguments) || !parser.isSet(print) || !parser.positionalArguments().isEmpty()) {
        err << (parser.errorText().isEmpty() ? QStringLiteral("Usage: Vexlan --print FILE.ked [--pdf OUT.pdf]")
                                             : parser.errorText())
            << '\n';
        return 2;
    }
    StderrPrompt prompt;
    CVexlanDoc doc(prompt);
    if (!doc.OpenCorrelationFile(parser.value(print).toStdString())) return 1;  // the document said why
    doc.RecomputeCorrelation();
    // Refused as the command line refuses it: a page of such a record would carry no result.
    if (doc.computeProblem() != ComputeProblem::None) return 1;  // the document said why on opening
    QtSettingsStore settings;
    const std::vector<PagePrimitive> page =
        BuildPage(ReportValuesFromDocument(doc), ReadUnitSetting(settings, setting::kLength),
                  ReadUnitSetting(settings, setting::kTime));
    int errorId = 0;
    if (parser.isSet(pdf)) {
        if (WritePagePdf(parser.value(pdf).toStdString(), page, errorId)) return 0;
    } else if (QPrinterInfo::defaultPrinter().isNull()) {
        errorId = string_id::kMsgNoPrinter;
    } else {
        QPrinter printer(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
        UseDefaultPageSetup(printer);
        printer.setDocName(QString::fromStdString(doc.GetFileTexts().fileName));
        if (PrintPage(printer, page, errorId)) return 0;
    }
    if (errorId == string_id::kMsgOutputReadOnly)
        errorId = string_id::kMsgOutputReadOnlyKept;  // an unattended run asks nobody
    err << QString::fromUtf8(LoadString(errorId)) << '\n';
    return 1;
}

}  // namespace vexlan
