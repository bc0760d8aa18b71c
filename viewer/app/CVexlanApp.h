#pragma once
// The application: one document shown in one form in one main window.

#include <QApplication>
#include <memory>

#include "app/CMainFrame.h"
#include "correlation/CVexlanDoc.h"
#include "app/InstrumentCommands.h"
#include "app/QtPrompt.h"
#include "app/QtSettingsStore.h"

namespace vexlan {

class CVexlanApp : public QApplication {
    Q_OBJECT
public:
    CVexlanApp(int& argc, char** argv);
    ~CVexlanApp() override;

    // Creates the main window, opens a file named on the command line and shows the window.
    // Returns false when start-up failed (a message has been printed).
    bool InitInstance();

    CMainFrame* mainFrame() { return frame_.get(); }
    // Debug aid: the path given with --screenshot, empty when none.
    const QString& screenshotPath() const { return screenshotPath_; }

private:
    QtPrompt prompt_;
    QtSettingsStore settings_;
    std::unique_ptr<InstrumentCommands> instrument_;
    std::unique_ptr<CVexlanDoc> doc_;
    std::unique_ptr<CMainFrame> frame_;
    QString screenshotPath_;
};

}  // namespace vexlan
