#include "app/QtSettingsStore.h"

#include <QSettings>

namespace vexlan {
namespace {

constexpr const char* kCompany = "Norvane Instruments";
constexpr const char* kApplication = "Vexlan";

}  // namespace

std::optional<std::string> QtSettingsStore::Read(const std::string& key) const {
    QSettings settings(kCompany, kApplication);
    settings.beginGroup(setting::kGroup);
    // A file that cannot be parsed is taken as no file: every entry falls back to its default.
    if (settings.status() != QSettings::NoError) return std::nullopt;
    QVariant value = settings.value(QString::fromStdString(key));
    // A damaged file reads as absent entries, or as values of the wrong kind.
    if (!value.isValid() || !value.canConvert<QString>()) return std::nullopt;
    return value.toString().toStdString();
}

bool QtSettingsStore::Write(const std::string& key, const std::string& value) {
    // A fresh object per entry, so that the status reports this write alone.
    QSettings settings(kCompany, kApplication);
    settings.beginGroup(setting::kGroup);
    settings.setValue(QString::fromStdString(key), QString::fromStdString(value));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace vexlan
