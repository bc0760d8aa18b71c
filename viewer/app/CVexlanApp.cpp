#include "app/CVexlanApp.h"

#include <QCommandLineParser>
#include <QTextStream>

#include "VexlanVersion.h"

namespace vexlan {

CVexlanApp::CVexlanApp(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName("Norvane Instruments");
    setApplicationName("Vexlan");
    // No display name: the platform would append it to every dialog's title.
    setApplicationVersion(VEXLAN_VERSION);
}

CVexlanApp::~CVexlanApp() {
    frame_.reset();
    doc_.reset();
}

bool CVexlanApp::InitInstance() {
    QCommandLineParser parser;
    parser.setApplicationDescription("Viewer for leak-noise correlation files");
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption screenshot("screenshot", "Save a picture of the main window to PATH and quit.", "PATH");
    parser.addOption(screenshot);
    parser.addPositionalArgument("file", "Correlation file (.ked) to open.", "[file]");
    if (!parser.parse(arguments())) {
        QTextStream(stderr) << parser.errorText() << '\n';
        return false;
    }
    if (parser.isSet("help")) parser.showHelp(0);
    if (parser.isSet("version")) parser.showVersion();
    screenshotPath_ = parser.value(screenshot);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        QTextStream(stderr) << "Only one file can be opened at a time.\n";
        return false;
    }

    doc_ = std::make_unique<CVexlanDoc>(prompt_);
    // The stored port is tested through the instrument session as the window is set up.
    instrument_ = std::make_unique<InstrumentCommands>(prompt_, settings_);
    frame_ = std::make_unique<CMainFrame>(*doc_, prompt_, settings_, instrument_->PortTester());
    instrument_->Install(*frame_);
    prompt_.SetParent(frame_.get());
    // A file on the command line goes through the framework's open-by-name: the document records
    // the path and the view loads it at its initial update.
    const bool opened = files.isEmpty() ? doc_->OnNewDocument() : doc_->OnOpenDocument(files.first().toStdString());
    if (!opened) return false;
    frame_->InitialUpdate();
    frame_->show();
    return true;
}

}  // namespace vexlan
