#include <QScreen>
#include <QTimer>

#include "CVexlanApp.h"

int main(int argc, char** argv) {
    vexlan::CVexlanApp app(argc, argv);
    if (!app.InitInstance()) return 1;
    if (!app.screenshotPath().isEmpty()) {
        // Grab once the window has been laid out and painted.
        QTimer::singleShot(200, &app, [&app] {
            const bool saved = app.mainFrame()->grab().save(app.screenshotPath());
            app.exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
