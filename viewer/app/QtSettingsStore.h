#pragma once
// The settings store of the running program: QSettings("Norvane Instruments", "Vexlan"), group
// "Settings".

#include "app/AppSettings.h"

namespace vexlan {

class QtSettingsStore : public ISettingsStore {
public:
    std::optional<std::string> Read(const std::string& key) const override;
    bool Write(const std::string& key, const std::string& value) override;
};

}  // namespace vexlan
