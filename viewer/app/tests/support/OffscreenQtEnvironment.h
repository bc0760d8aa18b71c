#pragma once
// The window tests' process-wide setting: the offscreen platform, the settings in a folder of this
// run (never the user's own), and one QApplication from the first test to the last.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>
#include <string>

namespace vexlan::test {

class OffscreenQtEnvironment : public ::testing::Environment {
public:
    explicit OffscreenQtEnvironment(std::string name) : name_(std::move(name)) {}

    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        config_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/" + QString::fromStdString(name_) + "-XXXXXX");
        setenv("XDG_CONFIG_HOME", config_->path().toLocal8Bit().constData(), 1);
        argv_[0] = name_.data();
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override {
        app_.reset();
        config_.reset();
    }

private:
    std::string name_;
    int argc_ = 1;
    char* argv_[2] = {nullptr, nullptr};
    std::unique_ptr<QTemporaryDir> config_;
    std::unique_ptr<QApplication> app_;
};

}  // namespace vexlan::test
