#pragma once
// The three per-user settings of group "Settings": "COM Port", "Length" and "Time". The store is
// an interface so the rules (defaults, fallbacks, one message per failed write) test without Qt.

#include <optional>
#include <string>

#include "res/Prompt.h"

namespace vexlan {

class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    // Empty when the entry is absent or cannot be read.
    virtual std::optional<std::string> Read(const std::string& key) const = 0;
    // False when the value could not be stored.
    virtual bool Write(const std::string& key, const std::string& value) = 0;
};

namespace setting {
constexpr const char* kGroup = "Settings";
constexpr const char* kComPort = "COM Port";
constexpr const char* kLength = "Length";
constexpr const char* kTime = "Time";
constexpr const char* kMethod = "Method";  // correlation method: basic, scot, phat or auto
}  // namespace setting

// "Length" or "Time" as stored: 0 when absent or not a whole number. The view takes any value
// but 0 and 1 as 0.
int ReadUnitSetting(const ISettingsStore& store, const char* key);
// "COM Port" as stored, "COM1" when absent.
std::string ReadComPortSetting(const ISettingsStore& store);

// "Method" as stored, "basic" when absent.
std::string ReadMethodSetting(const ISettingsStore& store);
// Stored as soon as the user picks a method; a failed write shows message 62037.
void WriteMethodSetting(ISettingsStore& store, IPrompt& prompt, const std::string& method);

// Writes all three; each write that fails shows message 62037 and the others are still tried.
void WriteSettings(ISettingsStore& store, IPrompt& prompt, int lengthUnit, int timeUnit, const std::string& comPort);

}  // namespace vexlan
