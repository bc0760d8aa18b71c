// libFuzzer target: arbitrary text as the material list sources and arbitrary bytes as the
// velocity cache. The input is split at its first two zero bytes: mname.fd, mlist.fd, and (when
// present) a replacement mlist.kdb. Checks the sizes and shape of the caches built from the text
// and that no lookup reads outside its tables.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "correlation/CorrelationRecord.h"
#include "res/StringIds.h"
#include "correlation/MaterialTables.h"
#include "res/Prompt.h"
#include "testsupport/SeedCorpus.h"
#include "res/StringTable.h"

namespace {

using namespace vexlan;
using test::Seed;
namespace fs = std::filesystem;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "material list fuzzer: %s\n", what);
    std::abort();
}

std::string ScratchFolder() {
    char path[] = "/tmp/vexlan-material-fuzz-XXXXXX";
    if (!::mkdtemp(path)) Fail("cannot create a scratch folder");
    static std::string made;
    made = path;
    std::atexit([] {
        std::error_code error;
        fs::remove_all(made, error);
    });
    return std::string(path) + "/";
}

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        Fail("cannot write a scratch file");
}

std::uintmax_t SizeOf(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    return error ? 0 : size;
}

void CheckNameSlots(const MaterialTables& tables) {
    const auto& names = tables.materialNames();
    for (int slot = 0; slot < kMaterialSlots; ++slot) {
        bool blank = true;
        for (int i = 0; i < kMaterialNameSlotSize; ++i) blank = blank && names[slot][i] == ' ';
        if (blank) continue;
        if (slot == kMaterialSlots - 1) Fail("the last name slot was filled");
        if (names[slot][kMaterialNameSlotSize - 1] != 0) Fail("a filled name slot does not end with a zero");
        const std::string expected =
            std::string(LoadString(string_id::kMaterialNameBase + slot)).substr(0, kMaterialNameLength);
        if (tables.MaterialName(slot) != expected) Fail("a name slot does not hold its material's name");
    }
}

// --- seeds -----------------------------------------------------------------------------------

std::string Hex4(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

std::string NameSource(const char* lineEnd) {
    std::string text;
    for (int m = 0; m <= 10; ++m)
        text += Hex4(m) + " \"" + LoadString(string_id::kMaterialNameBase + m) + "\" \"" + std::to_string(10 + 20 * m) +
                ".0\" \"" + std::to_string(200 + 100 * m) + ".5\"" + lineEnd;
    return text;
}

// Velocities of a water-filled pipe from the water-hammer relation, a few diameters per material.
std::string ListSource(const char* lineEnd, int pointsPerMaterial) {
    std::string text;
    for (int m = 0; m <= 10; ++m) {
        const double modulus = 1e9 * (1 + 20 * m);
        for (int j = 0; j < pointsPerMaterial; ++j) {
            const double diameter = 20.0 + 40.0 * j;
            const double velocity = 1481.0 / std::sqrt(1 + 2.19e9 / modulus * 12);
            text += Hex4(m) + " \"" + std::to_string(diameter) + "\" \"" + std::to_string(velocity) + "\"" + lineEnd;
        }
    }
    return text + "FFFF \"end\"" + lineEnd;
}

Seed Join(const std::string& names, const std::string& list, const Seed* cache = nullptr) {
    Seed seed(names.begin(), names.end());
    seed.push_back(0);
    seed.insert(seed.end(), list.begin(), list.end());
    if (cache) {
        seed.push_back(0);
        seed.insert(seed.end(), cache->begin(), cache->end());
    }
    return seed;
}

std::vector<Seed> MakeSeeds() {
    std::vector<Seed> seeds;
    seeds.push_back(Join(NameSource("\n"), ListSource("\n", 5)));
    seeds.push_back(Join(NameSource("\r\n"), ListSource("\r\n", 1)));
    seeds.push_back(Join(NameSource("\n"), ListSource("\n", 20)));
    seeds.push_back(Join(NameSource("\n"), ListSource("\n", 21)));  // one point too many
    // Lines the reader must skip or stop at: short, not hexadecimal, too long, unterminated.
    const std::string odd = "12\n00G2 \"x\" \"1\" \"2\"\n0013 \"Material 20\" \"5\" \"6\"\n0000 \"" +
                            std::string(600, '7') + "\" \"1\"\n0001 \"a\" \"+7.5e1xyz\" \"inf\"\n0002 \"only";
    seeds.push_back(Join(odd, "0000 \"1\" \"2\"\n# note\n0001 \"1\" \"2\""));
    // A velocity cache of 11 records, one with values no table should take.
    Seed cache(kListedMaterials * kCurveRecordSize);
    for (int m = 0; m < kListedMaterials; ++m) {
        MaterialCurve curve;
        curve.material = std::uint16_t(m);
        curve.diameters[0] = 50;
        curve.velocities[0] = m == 3 ? NAN : 1000;
        curve.diameters[1] = 500;
        curve.velocities[1] = 900;
        EncodeMaterialCurve(curve, cache.data() + m * kCurveRecordSize);
    }
    seeds.push_back(Join(NameSource("\n"), ListSource("\n", 3), &cache));
    Seed shortCache(cache.begin(), cache.begin() + 200);
    seeds.push_back(Join("", "", &shortCache));
    return seeds;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    test::AddSeedCorpus(argc, argv, "material_list_fuzzer", MakeSeeds());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string dir = ScratchFolder();
    const std::uint8_t* end = data + size;
    const std::uint8_t* namesEnd = static_cast<const std::uint8_t*>(std::memchr(data, 0, size));
    if (!namesEnd) namesEnd = end;
    const std::uint8_t* listBegin = namesEnd == end ? end : namesEnd + 1;
    const std::uint8_t* listEnd =
        static_cast<const std::uint8_t*>(std::memchr(listBegin, 0, std::size_t(end - listBegin)));
    const bool haveCache = listEnd != nullptr;
    if (!listEnd) listEnd = end;

    for (const char* cache : {kMaterialNamesCache, kFilterDefaultsCache, kMaterialListCache})
        std::remove((dir + cache).c_str());
    WriteFile(dir + kMaterialNamesSource, data, std::size_t(namesEnd - data));
    WriteFile(dir + kMaterialListSource, listBegin, std::size_t(listEnd - listBegin));

    ScriptedPrompt prompt;
    MaterialTables tables(prompt);
    tables.SetDirectories(dir, dir);
    if (!tables.RebuildMaterialTables()) Fail("the name caches could not be built from a readable source");
    if (SizeOf(dir + kMaterialNamesCache) != kMaterialNamesFileSize ||
        SizeOf(dir + kFilterDefaultsCache) != kFilterDefaultsFileSize)
        Fail("a name cache has the wrong size");
    CheckNameSlots(tables);
    if (!tables.LoadMaterialTables()) Fail("freshly built name caches do not load");
    CheckNameSlots(tables);

    const bool built = tables.BuildMaterialList();
    const std::uintmax_t listSize = SizeOf(dir + kMaterialListCache);
    if (built != (listSize == kListedMaterials * kCurveRecordSize))
        Fail("the velocity cache does not match the build's result");
    if (haveCache) WriteFile(dir + kMaterialListCache, listEnd + 1, std::size_t(end - listEnd - 1));
    tables.EnsureMaterialList();

    for (int m = -1; m <= kMaterialSlots + 1; ++m) {
        tables.LoadMaterialCurveText(m);
        for (float diameter : {-5.0f, 0.0f, 1.0f, 100.0f, 1e9f, NAN}) {
            const float velocity = tables.VelocityForDiameter(m, diameter);
            if (std::isnan(velocity)) Fail("a velocity lookup gave NaN");
        }
    }

    CorrelationRecord record;
    for (int i = 0; i < kSegmentCount; ++i) {
        const std::uint8_t b = size > std::size_t(i) ? data[size - 1 - std::size_t(i)] : 0;
        record.segments[i].material = std::uint16_t(b % (kMaterialSlots + 2));
        record.segments[i].inUse = b < 200 ? 1 : 0;
    }
    tables.UpdateDefaultCutoffs(record);
    if (!std::isfinite(record.filter.lowCutoff) || !std::isfinite(record.filter.highCutoff))
        Fail("a default cut-off is not finite");
    return 0;
}
