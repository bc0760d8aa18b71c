#pragma once
// The program's one string table: every text the user sees is looked up here.
// Two sections share it: plain strings keyed by a string id, and the texts of menus and dialog
// templates keyed by (resource id, item id). Item id 0 is the resource's own caption; menu items
// use their command id and popups the popup id the menu gives them.

#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

#include "res/StringIds.h"

namespace vexlan {

// Returns the text of a string id, or an empty string when the table has no such entry
// (62011 deliberately has none: a failure without a specific message shows an empty text).
const char* LoadString(int id);

// Convenience for building texts.
inline std::string LoadStdString(int id) { return LoadString(id); }

// The text of a format id with its arguments put in; the id's type says what they are.
template <typename... Args>
std::string FormatString(FormatId<Args...> format, std::type_identity_t<Args>... args) {
    const char* pattern = LoadString(format.id);
    const int size = std::snprintf(nullptr, 0, pattern, args...);
    if (size <= 0) return {};
    std::string text(static_cast<std::size_t>(size), '\0');
    std::snprintf(text.data(), text.size() + 1, pattern, args...);
    return text;
}

// The text of an item of a menu or dialog template, or an empty string when there is none.
const char* LoadResourceText(int resourceId, int itemId);

// The menus and dialog templates whose texts the table holds.
namespace resource {
constexpr int kAboutDialog = 100, kFormTemplate = 101, kMainMenu = 128;
constexpr int kDownloadDialog = 144, kFilterSettingsDialog = 148, kFileInformationDialog = 175;
}  // namespace resource

// Every key of the table; plain strings carry resourceId kPlainStrings. For checking the table.
constexpr int kPlainStrings = 0;
struct StringKey {
    int resourceId;
    int itemId;
    friend bool operator==(const StringKey&, const StringKey&) = default;
};
std::vector<StringKey> AllStringKeys();

// The document template string (string_id::kDocTemplate): newline-separated fields in this order.
enum class DocTemplateField {
    WindowTitle,
    DocName,
    FileNewName,
    FilterName,
    FilterExtension,
    FileTypeId,
    FileTypeName
};
std::string LoadDocTemplateField(DocTemplateField field);

}  // namespace vexlan
