#include <QScreen>
#include <QTimer>

#include "app/CVexlanApp.h"
#include "app/CommandLinePrint.h"
#include "app/ReportCommands.h"
#include "app/VelocityCommands.h"

int main(int argc, char** argv) {
    vexlan::CVexlanApp app(argc, argv);
    // The print verb prints and quits without a window.
    if (vexlan::IsPrintRequest(app.arguments())) return vexlan::RunPrintRequest(app.arguments());
    if (!app.InitInstance()) return 1;
    vexlan::InstallReportCommands(*app.mainFrame());
    vexlan::InstallVelocityCommands(*app.mainFrame());
    if (!app.screenshotPath().isEmpty()) {
        // Grab once the window has been laid out and painted.
        QTimer::singleShot(200, &app, [&app] {
            const bool saved = app.mainFrame()->grab().save(app.screenshotPath());
            app.exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
