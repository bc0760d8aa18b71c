#pragma once
// The program's one string table: every text the user sees is looked up here by its id.

#include <string>

namespace vexlan {

// Returns the text of a string id, or an empty string when the table has no such entry
// (62011 deliberately has none: a failure without a specific message shows an empty text).
const char* LoadString(int id);

// Convenience for building texts.
inline std::string LoadStdString(int id) { return LoadString(id); }

// Material display names occupy 62080 + material index for indices 0..19.
constexpr int kMaterialNameBase = 62080;
constexpr int kMaterialCount = 20;

}  // namespace vexlan
