#include "correlation/MaterialTables.h"
#include "res/StringIds.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "correlation/LittleEndian.h"
#include "storage/SafeFileWriter.h"
#include "res/StringTable.h"

namespace vexlan {

namespace {

constexpr int kMaxLineChars = 511;
constexpr int kMinIndexedLine = 7;
constexpr int kEndMarker = 0xFFFF;
constexpr int kInvalidIndex = -1;
constexpr int kNameLines = 20;
constexpr int kHighestNamedIndex = 18;  // the slot of index 19 is never filled from the source
constexpr int kMaxSearchLines = 400;

using le::GetU16;
using le::PutF32;
using le::PutU16;

// Values from a damaged cache that no computation could use read as 0.
float GetFiniteF32(const std::uint8_t* p) {
    const float v = le::GetF32(p);
    return std::isfinite(v) ? v : 0.0f;
}

// One line of a text source, read the way the list files were always read: up to and including
// its line feed (CR LF counts as LF), at most 511 characters, and the last character dropped.
struct TextLine {
    char text[kMaxLineChars + 1] = {};
    int length = 0;
};

// A line past the end of the file reads as empty.
void ReadLine(std::FILE* file, TextLine& line) {
    int n = 0;
    while (n < kMaxLineChars) {
        int c = std::getc(file);
        if (c == EOF) break;
        if (c == '\r') {
            const int next = std::getc(file);
            if (next == '\n')
                c = '\n';
            else if (next != EOF)
                std::ungetc(next, file);
        }
        line.text[n++] = char(c);
        if (c == '\n') break;
    }
    if (n > 0) --n;
    line.text[n] = 0;
    line.length = n;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

int LineIndex(const TextLine& line) {
    if (line.length < kMinIndexedLine) return kInvalidIndex;
    int value = 0;
    for (int i = 0; i < 4; ++i) {
        const int d = HexDigit(line.text[i]);
        if (d < 0) return kInvalidIndex;
        value = value * 16 + d;
    }
    return value;
}

// Field f (1-based): the text between the (2f-1)-th and the 2f-th double quote after the index.
// Copies at most outSize - 1 characters; a missing field is empty.
void LineField(const TextLine& line, int field, char* out, int outSize) {
    out[0] = 0;
    int quotes = 0;
    int start = -1;
    for (int i = 4; i < line.length; ++i) {
        if (line.text[i] != '"') continue;
        ++quotes;
        if (quotes == 2 * field - 1) {
            start = i + 1;
        } else if (quotes == 2 * field) {
            const int n = std::min(i - start, outSize - 1);
            std::memcpy(out, line.text + start, std::size_t(n));
            out[n] = 0;
            return;
        }
    }
}

// Decimal text to float, independent of the user's locale; text that does not convert (or that
// names an infinity or NaN) gives 0.
float FieldNumber(const TextLine& line, int field) {
    char text[kMaxLineChars + 1];
    LineField(line, field, text, sizeof text);
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '+') ++p;
    float value = 0;
    const auto result = std::from_chars(p, p + std::strlen(p), value);
    if (result.ec != std::errc() || !std::isfinite(value)) return 0.0f;
    return value;
}

// Writes a whole cache; it appears under its name only when complete, so a failed write never
// leaves a half cache for the next run to trust.
bool WriteWholeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    return WriteFileSafely(path, data, size) == 0;
}

// The bytes of a regular file when it holds exactly size of them (nothing more), else empty.
std::vector<std::uint8_t> ReadExactFile(const std::string& path, std::size_t size) {
    int errorId = 0;
    std::FILE* file = OpenRegularFileForReading(path, errorId);
    if (!file) return {};
    std::vector<std::uint8_t> bytes(size);
    const bool whole = std::fread(bytes.data(), 1, size, file) == size && std::fgetc(file) == EOF;
    std::fclose(file);
    return whole ? bytes : std::vector<std::uint8_t>{};
}

// The builders store only finite numbers (a source value that is not one becomes 0).
bool AllStoredValuesFinite(const std::uint8_t* p, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(le::GetF32(p + 4 * i))) return false;
    return true;
}

// The caches are checked against the shape their builders give them, so that a damaged one (cut
// short, overwritten, random) is rebuilt rather than read as data.
bool NamesCacheLooksRight(const std::vector<std::uint8_t>& names) {
    if (names.size() != kMaterialNamesFileSize) return false;
    for (int slot = 0; slot < kMaterialSlots; ++slot) {
        const std::uint8_t* p = names.data() + slot * kMaterialNameSlotSize;
        for (int i = 0; i < kMaterialNameLength; ++i)
            if (p[i] < 0x20 || p[i] > 0x7E) return false;
        if (p[kMaterialNameLength] != 0 && p[kMaterialNameLength] != ' ') return false;
    }
    return true;
}

bool DefaultsCacheLooksRight(const std::vector<std::uint8_t>& defaults) {
    return defaults.size() == kFilterDefaultsFileSize && AllStoredValuesFinite(defaults.data(), 2 * kMaterialSlots);
}

// One record per listed material, in order, each naming its material.
bool ListCacheLooksRight(const std::vector<std::uint8_t>& list) {
    if (list.size() != kListedMaterials * kCurveRecordSize) return false;
    for (int m = 0; m < kListedMaterials; ++m) {
        const std::uint8_t* record = list.data() + m * kCurveRecordSize;
        if (GetU16(record) != m || !AllStoredValuesFinite(record + 2, 2 * kCurvePoints)) return false;
    }
    return true;
}

std::string WithSeparator(std::string dir) {
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
}

bool DirectoryWritable(const std::string& dir) {
#ifdef _WIN32
    // A folder has no execute permission there: being able to write is enough.
    return !dir.empty() && ::access(dir.c_str(), W_OK) == 0;
#else
    return !dir.empty() && ::access(dir.c_str(), W_OK | X_OK) == 0;
#endif
}

}  // namespace

void EncodeMaterialCurve(const MaterialCurve& curve, std::uint8_t out[kCurveRecordSize]) {
    PutU16(out, curve.material);
    for (int j = 0; j < kCurvePoints; ++j) {
        PutF32(out + 2 + 4 * j, curve.diameters[j]);
        PutF32(out + 2 + 4 * kCurvePoints + 4 * j, curve.velocities[j]);
    }
}

void DecodeMaterialCurve(const std::uint8_t in[kCurveRecordSize], MaterialCurve& curve) {
    curve.material = GetU16(in);
    for (int j = 0; j < kCurvePoints; ++j) {
        curve.diameters[j] = GetFiniteF32(in + 2 + 4 * j);
        curve.velocities[j] = GetFiniteF32(in + 2 + 4 * kCurvePoints + 4 * j);
    }
}

void MaterialTables::SetDirectories(const std::string& sourceDirectory, const std::string& cacheDirectory) {
    sourceDirectory_ = WithSeparator(sourceDirectory);
    cacheDirectory_ = WithSeparator(cacheDirectory.empty() ? sourceDirectory : cacheDirectory);
}

bool MaterialTables::LoadMaterialTables() {
    auto readCaches = [this] {
        const std::vector<std::uint8_t> names = ReadExactFile(CachePath(kMaterialNamesCache), kMaterialNamesFileSize);
        const std::vector<std::uint8_t> defaults =
            ReadExactFile(CachePath(kFilterDefaultsCache), kFilterDefaultsFileSize);
        if (!NamesCacheLooksRight(names) || !DefaultsCacheLooksRight(defaults)) return false;
        std::memcpy(names_, names.data(), kMaterialNamesFileSize);
        for (int i = 0; i < kMaterialSlots; ++i)
            defaults_[i] = {GetFiniteF32(defaults.data() + 8 * i), GetFiniteF32(defaults.data() + 8 * i + 4)};
        return true;
    };
    if (readCaches()) return true;
    // Missing, damaged or half-written caches are rebuilt from the source.
    return RebuildMaterialTables() && readCaches();
}

bool MaterialTables::RebuildMaterialTables() {
    std::memset(names_, ' ', sizeof names_);
    std::FILE* file = std::fopen(SourcePath(kMaterialNamesSource).c_str(), "r");
    if (!file) return false;
    for (auto& d : defaults_) d = {};
    TextLine line;
    for (int n = 0; n < kNameLines; ++n) {
        ReadLine(file, line);
        const int index = LineIndex(line);
        if (index < 0 || index > kHighestNamedIndex) continue;
        const char* name = LoadString(string_id::kMaterialNameBase + index);
        const std::size_t length = std::min<std::size_t>(std::strlen(name), kMaterialNameLength);
        std::memcpy(names_[index], name, length);
        names_[index][kMaterialNameSlotSize - 1] = 0;
        defaults_[index] = {FieldNumber(line, 2), FieldNumber(line, 3)};
    }
    std::fclose(file);
    return WriteNameAndFilterCaches();
}

bool MaterialTables::WriteNameAndFilterCaches() {
    std::uint8_t defaults[kFilterDefaultsFileSize];
    for (int i = 0; i < kMaterialSlots; ++i) {
        PutF32(defaults + 8 * i, defaults_[i].low);
        PutF32(defaults + 8 * i + 4, defaults_[i].high);
    }
    std::uint8_t names[kMaterialNamesFileSize];
    std::memcpy(names, names_, sizeof names);
    if (WriteWholeFile(CachePath(kMaterialNamesCache), names, sizeof names) &&
        WriteWholeFile(CachePath(kFilterDefaultsCache), defaults, sizeof defaults))
        return true;
    // Never leave one cache without the other: the next load would trust the survivor.
    std::remove(CachePath(kMaterialNamesCache).c_str());
    std::remove(CachePath(kFilterDefaultsCache).c_str());
    return false;
}

void MaterialTables::EnsureMaterialList() {
    if (ReadMaterialCurve(0)) return;
    if (!BuildMaterialList()) {
        AskString(prompt_, string_id::kMsgListNotCreated, PromptIcon::Warning, PromptButtons::Ok);
        return;
    }
    if (ReadMaterialCurve(0)) return;
    curve_ = MaterialCurve{};
    AskString(prompt_, string_id::kMsgListNotRead, PromptIcon::Warning, PromptButtons::Ok);
}

bool MaterialTables::ReadMaterialCurve(int material) {
    if (material < 0 || material >= kMaterialSlots) return false;
    const std::vector<std::uint8_t> list =
        ReadExactFile(CachePath(kMaterialListCache), kListedMaterials * kCurveRecordSize);
    if (!ListCacheLooksRight(list)) return false;
    // A material without a record leaves the table as it was.
    if (material < kListedMaterials) DecodeMaterialCurve(list.data() + material * kCurveRecordSize, curve_);
    return true;
}

bool MaterialTables::BuildMaterialList() {
    std::vector<std::uint8_t> list(kListedMaterials * kCurveRecordSize);
    bool ok = true;
    for (int m = 0; m < kListedMaterials && ok; ++m) {
        curve_ = MaterialCurve{};
        ok = LoadMaterialCurveText(m);
        if (ok) {
            curve_.material = std::uint16_t(m);
            EncodeMaterialCurve(curve_, list.data() + m * kCurveRecordSize);
        }
    }
    curve_ = MaterialCurve{};
    // Written whole or not at all: a partial list would be read as complete by every later run.
    return ok && WriteWholeFile(CachePath(kMaterialListCache), list.data(), list.size());
}

bool MaterialTables::LoadMaterialCurveText(int material) {
    if (material < 0 || material > kMaterialSlots) return false;
    curve_.material = 0;
    std::FILE* file = std::fopen(SourcePath(kMaterialListSource).c_str(), "r");
    if (!file) return false;
    TextLine line;
    bool found = false;
    for (int n = 0; n < kMaxSearchLines && !found; ++n) {
        ReadLine(file, line);
        const int index = LineIndex(line);
        if (index == kInvalidIndex || index == kEndMarker) break;
        found = index == material;
    }
    bool ok = false;
    for (int point = 0; found; ++point) {
        if (point == kCurvePoints) break;  // more points than a table holds
        curve_.diameters[point] = FieldNumber(line, 1);
        curve_.velocities[point] = FieldNumber(line, 2);
        ReadLine(file, line);
        if (LineIndex(line) != material) {
            curve_.material = std::uint16_t(material);
            ok = true;
            break;
        }
    }
    std::fclose(file);
    return ok;
}

float MaterialTables::VelocityForDiameter(int material, float diameter) {
    // A list damaged since the file was opened is rebuilt before the user is troubled.
    if (!ReadMaterialCurve(material) && !(BuildMaterialList() && ReadMaterialCurve(material)))
        AskString(prompt_, string_id::kMsgListNotLoaded, PromptIcon::Warning, PromptButtons::YesNo);
    // The table in memory may still be another material's (no record for this one, or no list
    // at all): then there is no velocity to give.
    if (material < 0 || curve_.material != material) return 0.0f;
    bool haveLower = false;
    float lowerDiameter = 0, lowerVelocity = 0, lastVelocity = 0;
    for (int j = 0; j < kCurvePoints; ++j) {
        const float d = curve_.diameters[j];
        const float v = curve_.velocities[j];
        if (!(d > 0)) continue;
        if (d >= diameter) {
            if (!haveLower) return v;
            return lowerVelocity + (v - lowerVelocity) * (diameter - lowerDiameter) / (d - lowerDiameter);
        }
        haveLower = true;
        lowerDiameter = d;
        lowerVelocity = v;
        lastVelocity = v;
    }
    return lastVelocity;
}

float MaterialTables::DefaultLowCutoff(int material) {
    if (material >= 0 && material < kMaterialSlots) return defaults_[material].low;
    AskString(prompt_, string_id::kMsgLowDefaultError, PromptIcon::Warning, PromptButtons::Ok);
    return 0.0f;
}

float MaterialTables::DefaultHighCutoff(int material) {
    if (material >= 0 && material < kMaterialSlots) return defaults_[material].high;
    AskString(prompt_, string_id::kMsgHighDefaultError, PromptIcon::Warning, PromptButtons::Ok);
    return 0.0f;
}

void MaterialTables::UpdateDefaultCutoffs(CorrelationRecord& record) {
    FilterSettings& filter = record.filter;
    if (record.segments[0].inUse != 1) {
        filter.lowCutoff = 0;
        filter.highCutoff = 0;
        return;
    }
    // Each bound must suit every used material: the lowest low and the highest high win, and a
    // material without a default switches that bound off.
    float low = DefaultLowCutoff(record.segments[0].material);
    for (int i = 1; i < kSegmentCount && low != 0 && record.segments[i].inUse == 1; ++i) {
        const float w = DefaultLowCutoff(record.segments[i].material);
        if (w == 0)
            low = 0;
        else if (w < low)
            low = w;
    }
    float high = DefaultHighCutoff(record.segments[0].material);
    for (int i = 1; i < kSegmentCount && high != 0 && record.segments[i].inUse == 1; ++i) {
        const float w = DefaultHighCutoff(record.segments[i].material);
        if (w == 0)
            high = 0;
        else if (w > high)
            high = w;
    }
    filter.lowCutoff = low;
    filter.highCutoff = high;
}

std::string MaterialTables::MaterialName(int material) const {
    if (material < 0 || material >= kMaterialSlots) return {};
    const char* slot = names_[material];
    std::size_t n = 0;
    while (n < std::size_t(kMaterialNameSlotSize) && slot[n] != 0) ++n;
    while (n > 0 && slot[n - 1] == ' ') --n;
    return std::string(slot, n);
}

void MaterialTables::ClearFilterDefaults() {
    for (auto& d : defaults_) d = {};
}

std::string ChooseCacheDirectory(const std::string& programDirectory) {
    const std::string program = WithSeparator(programDirectory);
    if (DirectoryWritable(program)) return program;
    const std::string perUser = PerUserCacheDirectory();
    return perUser.empty() ? program : perUser;
}

std::string PerUserCacheDirectory() {
    std::filesystem::path base;
#ifdef _WIN32
    // The per-user data folder that stays on the machine.
    const char* local = std::getenv("LOCALAPPDATA");
    if (local && std::filesystem::path(local).is_absolute())
        base = local;
    else
        return {};
#else
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (xdg && xdg[0] == '/')
        base = xdg;
    else if (home && home[0] != 0)
        base = std::filesystem::path(home) / ".local" / "share";
    else
        return {};
#endif
    const std::filesystem::path dir = base / "vexlan";
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    return WithSeparator(dir.string());
}

}  // namespace vexlan
