#pragma once
// Pipe material data: display names, default filter cut-offs and sound velocity against internal
// diameter. The sources are two hand-written text files in the program's data folder (mname.fd,
// mlist.fd: beside the program, or in share/vexlan once installed);
// on first use they are turned into three binary caches (mname.kdb, mfilter.kdb, mlist.kdb) that
// later runs read instead. Missing or broken files never stop the program: names stay blank,
// defaults stay 0 and velocities are not filled in.

#include <cstdint>
#include <string>

#include "correlation/CorrelationRecord.h"
#include "res/Prompt.h"

namespace vexlan {

constexpr int kMaterialSlots = 20;
constexpr int kMaterialNameSlotSize = 19;
constexpr int kMaterialNameLength = 18;  // characters kept of a name; the slot ends with a zero
constexpr int kCurvePoints = 20;
constexpr int kListedMaterials = 11;  // materials 0..10 have a velocity table in mlist.kdb
constexpr std::size_t kMaterialNamesFileSize = kMaterialSlots * kMaterialNameSlotSize;  // 380
constexpr std::size_t kFilterDefaultsFileSize = kMaterialSlots * 8;                     // 160
constexpr std::size_t kCurveRecordSize = 2 + kCurvePoints * 4 * 2;                      // 162

constexpr const char* kMaterialNamesSource = "mname.fd";
constexpr const char* kMaterialListSource = "mlist.fd";
constexpr const char* kMaterialNamesCache = "mname.kdb";
constexpr const char* kFilterDefaultsCache = "mfilter.kdb";
constexpr const char* kMaterialListCache = "mlist.kdb";

struct MaterialFilterDefault {
    float low = 0;   // Hz
    float high = 0;  // Hz
};

// One velocity table: point j is (diameters[j] mm, velocities[j] m/s); unused points are 0.
struct MaterialCurve {
    std::uint16_t material = 0;
    float diameters[kCurvePoints] = {};
    float velocities[kCurvePoints] = {};
};

void EncodeMaterialCurve(const MaterialCurve& curve, std::uint8_t out[kCurveRecordSize]);
void DecodeMaterialCurve(const std::uint8_t in[kCurveRecordSize], MaterialCurve& curve);

class MaterialTables {
public:
    explicit MaterialTables(IPrompt& prompt) : prompt_(prompt) {}

    // sourceDirectory holds the .fd files, cacheDirectory receives the .kdb caches; both end with
    // the path separator.
    void SetDirectories(const std::string& sourceDirectory, const std::string& cacheDirectory);
    const std::string& sourceDirectory() const { return sourceDirectory_; }
    const std::string& cacheDirectory() const { return cacheDirectory_; }

    bool LoadMaterialTables();
    bool RebuildMaterialTables();
    void EnsureMaterialList();
    bool ReadMaterialCurve(int material);
    bool BuildMaterialList();
    bool LoadMaterialCurveText(int material);

    // 0.0 when no table for the material is available.
    float VelocityForDiameter(int material, float diameter);
    float DefaultLowCutoff(int material);
    float DefaultHighCutoff(int material);
    // Low cut-off = smallest default of the used segments' materials, high = largest; 0 when any
    // used material has none, both 0 when no segment is in use.
    void UpdateDefaultCutoffs(CorrelationRecord& record);

    // The name shown for a material: its slot up to the first zero, trailing padding removed.
    std::string MaterialName(int material) const;
    const char (&materialNames() const)[kMaterialSlots][kMaterialNameSlotSize] { return names_; }
    const MaterialFilterDefault* materialFilterDefaults() const { return defaults_; }
    const MaterialCurve& materialCurve() const { return curve_; }

    // Forgets the filter defaults (the document's reset).
    void ClearFilterDefaults();

private:
    std::string SourcePath(const char* name) const { return sourceDirectory_ + name; }
    std::string CachePath(const char* name) const { return cacheDirectory_ + name; }
    bool WriteNameAndFilterCaches();

    IPrompt& prompt_;
    std::string sourceDirectory_;
    std::string cacheDirectory_;
    char names_[kMaterialSlots][kMaterialNameSlotSize] = {};
    MaterialFilterDefault defaults_[kMaterialSlots] = {};
    MaterialCurve curve_;
};

// Where the caches go for a data folder: the folder itself when it is writable, else the
// per-user data folder ($XDG_DATA_HOME/vexlan or ~/.local/share/vexlan, created when missing).
// Ends with '/'.
std::string ChooseCacheDirectory(const std::string& programDirectory);
// The per-user data folder alone (created when missing); "" when the system names none.
std::string PerUserCacheDirectory();

}  // namespace vexlan
