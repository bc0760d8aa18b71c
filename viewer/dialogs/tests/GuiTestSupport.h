#pragma once
// Shared by the widget tests: one offscreen QApplication, a generated sample opened in a real
// document, and a way to answer a modal dialog from inside its exec().

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>

#include "correlation/CVexlanDoc.h"
#include "testsupport/generator/KedGenerator.h"
#include "res/Prompt.h"

namespace vexlan::test {

// The application lives from before the first test to after the last, and is gone before the
// program's static objects are: a function-level static QApplication outlives parts of Qt.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "vexlan-tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};

inline ::testing::Environment* const kQtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

inline QApplication& App() { return *static_cast<QApplication*>(QCoreApplication::instance()); }

// Two steel segments with the noise source 30 m from sensor 1 and a notch-worthy band.
inline kedgen::GeneratorSettings SampleSettings() {
    kedgen::GeneratorSettings s;
    s.segments = {{10, 60.0f, 100.0f, 0.0f}, {10, 40.0f, 150.0f, 0.0f}};
    s.leakDistance = 30.0f;
    s.sensorPair = 6;
    s.seed = 7;
    s.title = "Main St";
    s.comment1 = "Hydrant 4 to valve 9";
    s.userReference = "JB-17";
    s.createdDate = "08/12/26";
    s.createdTime = "14:05:33";
    return s;
}

// A document that has opened a freshly generated file.
struct SampleDocument {
    ScriptedPrompt prompt;
    std::unique_ptr<CVexlanDoc> doc;
    std::string path;

    explicit SampleDocument(const kedgen::GeneratorSettings& settings = SampleSettings(),
                            const std::string& name = "sample.ked") {
        CorrelationRecord record;
        std::string error;
        if (!kedgen::GenerateRecord(settings, record, error)) return;
        const char* tmp = std::getenv("TMPDIR");
        path = std::string(tmp && *tmp ? tmp : "/tmp") + "/vexlan-dlg-" + std::to_string(::getpid()) + "-" + name;
        if (!kedgen::WriteKedFile(path, record, error)) return;
        doc = std::make_unique<CVexlanDoc>(prompt);
        if (!doc->OpenCorrelationFile(path) || !doc->RecomputeCorrelation()) doc.reset();
    }
    ~SampleDocument() {
        if (!path.empty()) std::remove(path.c_str());
    }
    bool ok() const { return doc != nullptr; }
};

// Runs `act` on the modal dialog once its exec() has started.
inline void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        act(modal);
    });
}

template <class W>
W* Find(QWidget* parent, int id) {
    return parent->findChild<W*>(QStringLiteral("IDC_%1").arg(id));
}

}  // namespace vexlan::test
