#pragma once
// The program's one string table: every text the user sees is looked up here.
// Two sections share it: plain strings keyed by a string id, and the texts of menus and dialog
// templates keyed by (resource id, item id). Item id 0 is the resource's own caption; menu items
// use their command id and popups the popup id the menu gives them.

#include <string>
#include <vector>

namespace vexlan {

// Returns the text of a string id, or an empty string when the table has no such entry
// (62011 deliberately has none: a failure without a specific message shows an empty text).
const char* LoadString(int id);

// Convenience for building texts.
inline std::string LoadStdString(int id) { return LoadString(id); }

// The text of an item of a menu or dialog template, or an empty string when there is none.
const char* LoadResourceText(int resourceId, int itemId);

// The menus and dialog templates whose texts the table holds.
namespace resource {
constexpr int kAboutDialog = 100, kFormTemplate = 101, kMainMenu = 128;
constexpr int kDownloadDialog = 144, kFilterSettingsDialog = 148, kFileInformationDialog = 175;
}

// Every key of the table; plain strings carry resourceId kPlainStrings. For checking the table.
constexpr int kPlainStrings = 0;
struct StringKey {
    int resourceId;
    int itemId;
    friend bool operator==(const StringKey&, const StringKey&) = default;
};
std::vector<StringKey> AllStringKeys();

// Material display names occupy 62080 + material index for indices 0..19.
constexpr int kMaterialNameBase = 62080;
constexpr int kMaterialCount = 20;

// The document template string: newline-separated fields in this order.
constexpr int kDocTemplateString = 128;
enum class DocTemplateField { WindowTitle, DocName, FileNewName, FilterName, FilterExtension, FileTypeId, FileTypeName };
std::string LoadDocTemplateField(DocTemplateField field);

// Unit texts beside the values of the form and the report.
namespace unit_text {
constexpr int kMetre = 62144, kFoot = 62145, kMillimetre = 62146, kInch = 62147;
constexpr int kMetrePer = 62148, kFootPer = 62149, kSecond = 62150, kMillisecond = 62151;
constexpr int kHertz = 62153;
}  // namespace unit_text

constexpr int kToolBarTitle = 62152;

// Notices shown when a file is opened: the program's own clearing of the auto filter flag, and a
// file shorter than a whole record (byte count, whole size).
constexpr int kMsgAutoFilterChangeIsOurs = 62290;
constexpr int kMsgIncompleteFile = 62291;

}  // namespace vexlan
