#include "app/AppSettings.h"
#include "res/StringIds.h"

#include <charconv>

namespace vexlan {
namespace {

void WriteOne(ISettingsStore& store, IPrompt& prompt, const char* key, const std::string& value) {
    if (!store.Write(key, value))
        AskString(prompt, string_id::kMsgSettingsNotSaved, PromptIcon::Warning, PromptButtons::Ok);
}

}  // namespace

int ReadUnitSetting(const ISettingsStore& store, const char* key) {
    std::optional<std::string> text = store.Read(key);
    if (!text) return 0;
    int value = 0;
    const char* begin = text->data();
    const char* end = begin + text->size();
    auto [last, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || last != end) return 0;
    return value;
}

std::string ReadComPortSetting(const ISettingsStore& store) {
    std::optional<std::string> text = store.Read(setting::kComPort);
    return text ? *text : "COM1";
}

std::string ReadMethodSetting(const ISettingsStore& store) {
    std::optional<std::string> text = store.Read(setting::kMethod);
    return text ? *text : "basic";
}

void WriteMethodSetting(ISettingsStore& store, IPrompt& prompt, const std::string& method) {
    WriteOne(store, prompt, setting::kMethod, method);
}

void WriteSettings(ISettingsStore& store, IPrompt& prompt, int lengthUnit, int timeUnit, const std::string& comPort) {
    WriteOne(store, prompt, setting::kLength, std::to_string(lengthUnit));
    WriteOne(store, prompt, setting::kTime, std::to_string(timeUnit));
    WriteOne(store, prompt, setting::kComPort, comPort);
}

}  // namespace vexlan
