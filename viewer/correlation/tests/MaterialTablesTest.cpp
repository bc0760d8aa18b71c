#include <gtest/gtest.h>

#include <cstring>

#include "correlation/CVexlanDoc.h"
#include "res/StringIds.h"
#include "testsupport/DocTestSupport.h"
#include "correlation/MaterialTables.h"

namespace vexlan {
namespace {

using namespace test;
namespace fs = std::filesystem;

class MaterialTablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = ScratchDirectory(::testing::UnitTest::GetInstance()->current_test_info()->name());
        tables.SetDirectories(dir, dir);
    }
    bool Exists(const char* name) const { return fs::exists(dir + name); }
    std::string dir;
    ScriptedPrompt prompt;
    MaterialTables tables{prompt};
};

TEST_F(MaterialTablesTest, ShippedSourcesBuildAllThreeCaches) {
    CopyShippedSources(dir);
    ASSERT_TRUE(tables.LoadMaterialTables());
    tables.EnsureMaterialList();
    EXPECT_TRUE(prompt.asked().empty());
    EXPECT_EQ(fs::file_size(dir + kMaterialNamesCache), 380u);
    EXPECT_EQ(fs::file_size(dir + kFilterDefaultsCache), 160u);
    EXPECT_EQ(fs::file_size(dir + kMaterialListCache), 11u * 162u);

    for (int m = 0; m < kListedMaterials; ++m) {
        EXPECT_EQ(tables.MaterialName(m), LoadString(string_id::kMaterialNameBase + m));
        const MaterialFilterDefault d = tables.materialFilterDefaults()[m];
        EXPECT_GT(d.low, 0) << m;
        EXPECT_GT(d.high, d.low) << m;
        const float v = tables.VelocityForDiameter(m, 100);
        EXPECT_GT(v, 150) << m;
        EXPECT_LT(v, 1481) << m;  // never faster than sound in open water
    }
    // Plastic pipes carry low frequencies, metal ones higher.
    for (int plastic : {3, 5, 7, 8})
        for (int metal : {1, 2, 4, 10})
            EXPECT_LT(tables.materialFilterDefaults()[plastic].high, tables.materialFilterDefaults()[metal].high);
    EXPECT_LT(tables.VelocityForDiameter(3, 100), tables.VelocityForDiameter(10, 100));
    EXPECT_EQ(tables.MaterialName(11), "");
    EXPECT_TRUE(prompt.asked().empty());

    // Later loads read the caches alone.
    fs::remove(dir + kMaterialNamesSource);
    fs::remove(dir + kMaterialListSource);
    ScriptedPrompt again;
    MaterialTables second(again);
    second.SetDirectories(dir, dir);
    EXPECT_TRUE(second.LoadMaterialTables());
    second.EnsureMaterialList();
    EXPECT_EQ(second.MaterialName(10), "Steel");
    EXPECT_EQ(second.VelocityForDiameter(10, 100), tables.VelocityForDiameter(10, 100));
    EXPECT_TRUE(again.asked().empty());
}

TEST_F(MaterialTablesTest, NameSlotsAndMalformedNameLines) {
    WriteText(dir + kMaterialNamesSource,
              "0001 \"Copper\" \"120.5\" \"900\"\r\n"  // CR LF lines read like LF lines
              "0013 \"Material 20\" \"5\" \"6\"\n"     // index 19 is never filled
              "12\n"                                   // too short
              "00G2 \"x\" \"1\" \"2\"\n"               // not hexadecimal
              "0012 \"Material 19\" \"  +7.25e1xyz\" \"junk\"\n"
              "0004 \"Cast Iron\"\n");  // missing fields read as 0
    ASSERT_TRUE(tables.RebuildMaterialTables());
    const auto& names = tables.materialNames();
    EXPECT_EQ(std::memcmp(names[1], "Copper            ", 18), 0);
    EXPECT_EQ(names[1][18], 0);
    EXPECT_EQ(std::memcmp(names[19], "                   ", 19), 0);
    EXPECT_EQ(std::memcmp(names[2], "                   ", 19), 0);
    EXPECT_EQ(tables.MaterialName(18), "Material 19");
    EXPECT_EQ(tables.materialFilterDefaults()[1].low, 120.5f);
    EXPECT_EQ(tables.materialFilterDefaults()[1].high, 900);
    EXPECT_EQ(tables.materialFilterDefaults()[19].low, 0);
    EXPECT_EQ(tables.materialFilterDefaults()[18].low, 72.5f);
    EXPECT_EQ(tables.materialFilterDefaults()[18].high, 0);
    EXPECT_EQ(tables.MaterialName(4), "Cast Iron");
    EXPECT_EQ(tables.materialFilterDefaults()[4].high, 0);
    EXPECT_EQ(fs::file_size(dir + kMaterialNamesCache), 380u);
}

TEST_F(MaterialTablesTest, DamagedOrMissingCachesAreRebuiltNotTrusted) {
    CopyShippedSources(dir);
    WriteBytes(dir + kMaterialNamesCache, std::vector<std::uint8_t>(100, 'x'));  // short
    EXPECT_TRUE(tables.LoadMaterialTables());
    EXPECT_EQ(tables.MaterialName(0), "Asbestos Cement");
    fs::remove(dir + kFilterDefaultsCache);
    EXPECT_TRUE(tables.LoadMaterialTables());
    EXPECT_EQ(fs::file_size(dir + kFilterDefaultsCache), 160u);

    fs::remove(dir + kMaterialNamesCache);
    fs::remove(dir + kMaterialNamesSource);
    EXPECT_FALSE(tables.LoadMaterialTables());
    EXPECT_FALSE(Exists(kMaterialNamesCache));
}

TEST_F(MaterialTablesTest, CachesOfTheWrongShapeAreRebuilt) {
    CopyShippedSources(dir);
    ASSERT_TRUE(tables.LoadMaterialTables());
    tables.EnsureMaterialList();
    const std::vector<std::uint8_t> good = ReadBytes(dir + kMaterialListCache);
    const float steel = tables.VelocityForDiameter(10, 100);
    std::vector<std::uint8_t> random(good.size());
    for (std::size_t i = 0; i < random.size(); ++i) random[i] = std::uint8_t(i * 2654435761u >> 13);
    for (const auto& damaged : {std::vector<std::uint8_t>{}, std::vector(good.begin(), good.begin() + 500), random}) {
        WriteBytes(dir + kMaterialListCache, damaged);
        EXPECT_EQ(tables.VelocityForDiameter(10, 100), steel);  // rebuilt on the next look-up
        EXPECT_EQ(ReadBytes(dir + kMaterialListCache), good);
    }
    fs::remove(dir + kMaterialListCache);
    fs::create_directory(dir + kMaterialListCache);  // a folder is never read as the list
    tables.EnsureMaterialList();
    EXPECT_EQ(CountAsked(prompt, string_id::kMsgListNotCreated), 1u);
    WriteBytes(dir + kMaterialNamesCache, std::vector(random.begin(), random.begin() + 380));
    MaterialTables names{prompt};
    names.SetDirectories(dir, dir);
    ASSERT_TRUE(names.LoadMaterialTables());
    EXPECT_EQ(names.MaterialName(10), "Steel");
}

TEST_F(MaterialTablesTest, CacheWriteFailureLeavesNoHalfCache) {
    CopyShippedSources(dir);
    fs::create_directory(dir + kFilterDefaultsCache);  // a folder in the way of the second cache
    EXPECT_FALSE(tables.RebuildMaterialTables());
    EXPECT_FALSE(Exists(kMaterialNamesCache));
}

TEST_F(MaterialTablesTest, VelocityTableSearchAndGroups) {
    WriteText(dir + kMaterialListSource,
              "0000 \"50\" \"1000\"\n"
              "0000 \"150\" \"800\"\n"
              "0000 \"-5\" \"1\"\n"  // diameter not above 0: skipped
              "0000 \"250\" \"700\"\n"
              "0001 \"80\" \"1200\"\n"  // a single point
              "0002 \"80\" \"1\"\n"
              "0003 \"x\" \"y\"\n"  // numbers that do not convert
              "0004 \"10\" \"inf\"\n"
              "0005 \"1\" \"1\"\n"
              "0006 \"1\" \"1\"\n"
              "0007 \"1\" \"1\"\n"
              "0008 \"1\" \"1\"\n"
              "0009 \"1\" \"1\"\n"
              "000A \"100\" \"1300\"\n"
              "000B \"100\" \"999\"\n"  // groups past 10 never reach the cache
              "FFFF\n");
    ASSERT_TRUE(tables.BuildMaterialList());
    EXPECT_EQ(fs::file_size(dir + kMaterialListCache), 11u * 162u);
    EXPECT_EQ(tables.VelocityForDiameter(0, 10), 1000);  // below the smallest
    EXPECT_EQ(tables.VelocityForDiameter(0, 150), 800);  // exactly at a point
    EXPECT_EQ(tables.VelocityForDiameter(0, 100), 900);  // interpolated
    EXPECT_EQ(tables.VelocityForDiameter(0, 200), 750);  // across the skipped point
    EXPECT_EQ(tables.VelocityForDiameter(0, 900), 700);  // above the largest
    EXPECT_EQ(tables.VelocityForDiameter(1, 10), 1200);
    EXPECT_EQ(tables.VelocityForDiameter(1, 1000), 1200);
    EXPECT_EQ(tables.VelocityForDiameter(3, 100), 0);  // no usable point
    EXPECT_EQ(tables.VelocityForDiameter(4, 100), 0);  // an infinite velocity is not taken
    EXPECT_EQ(tables.VelocityForDiameter(10, 100), 1300);
    EXPECT_TRUE(prompt.asked().empty());
    // Material 11 has no record: no velocity, rather than the last table read.
    EXPECT_TRUE(tables.ReadMaterialCurve(11));
    EXPECT_EQ(tables.VelocityForDiameter(11, 100), 0);
    EXPECT_TRUE(prompt.asked().empty());
    EXPECT_EQ(tables.VelocityForDiameter(25, 100), 0);
    EXPECT_EQ(CountAsked(prompt, string_id::kMsgListNotLoaded), 1u);
    EXPECT_EQ(prompt.asked()[0].buttons, PromptButtons::YesNo);
}

TEST_F(MaterialTablesTest, ListSearchStopsAtBadLinesAndOverfullGroups) {
    WriteText(dir + kMaterialListSource, "0000 \"1\" \"2\"\n# note\n0001 \"1\" \"2\"\n");
    EXPECT_TRUE(tables.LoadMaterialCurveText(0));
    EXPECT_FALSE(tables.LoadMaterialCurveText(1));  // the note ends the search
    EXPECT_FALSE(tables.LoadMaterialCurveText(21));
    std::string overfull;
    for (int i = 0; i < 21; ++i) overfull += "0000 \"" + std::to_string(i + 1) + "\" \"100\"\n";
    WriteText(dir + kMaterialListSource, overfull);
    EXPECT_FALSE(tables.LoadMaterialCurveText(0));
    overfull.erase(overfull.rfind("0000"));  // exactly 20 points fit
    WriteText(dir + kMaterialListSource, overfull);
    EXPECT_TRUE(tables.LoadMaterialCurveText(0));
    EXPECT_EQ(tables.materialCurve().diameters[19], 20);

    // A list without material 5 cannot be built, and nothing half-built stays behind.
    WriteText(dir + kMaterialListSource, "0000 \"1\" \"2\"\n0001 \"1\" \"2\"\nFFFF\n");
    EXPECT_FALSE(tables.BuildMaterialList());
    EXPECT_FALSE(Exists(kMaterialListCache));
    tables.EnsureMaterialList();
    EXPECT_EQ(CountAsked(prompt, string_id::kMsgListNotCreated), 1u);
}

TEST_F(MaterialTablesTest, DefaultCutoffsFollowTheUsedMaterials) {
    WriteText(dir + kMaterialNamesSource,
              "0000 \"a\" \"50\" \"600\"\n0001 \"b\" \"200\" \"1200\"\n0003 \"c\" \"10\" \"200\"\n0005 \"d\" \"0\" "
              "\"150\"\n");
    ASSERT_TRUE(tables.LoadMaterialTables());
    CorrelationRecord r;
    r.filter.lowCutoff = r.filter.highCutoff = 99;
    tables.UpdateDefaultCutoffs(r);  // no segment in use
    EXPECT_EQ(r.filter.lowCutoff, 0);
    EXPECT_EQ(r.filter.highCutoff, 0);

    r.segments[0] = {1, 10, 100, 1000, 1};
    r.segments[1] = {3, 10, 100, 300, 1};
    r.segments[2] = {0, 10, 100, 1000, 1};
    r.segments[4] = {5, 10, 100, 1000, 1};  // behind an unused entry: not part of the pipe
    tables.UpdateDefaultCutoffs(r);
    EXPECT_EQ(r.filter.lowCutoff, 10);
    EXPECT_EQ(r.filter.highCutoff, 1200);
    r.segments[3] = {5, 10, 100, 1000, 1};  // a material without a low default switches it off
    tables.UpdateDefaultCutoffs(r);
    EXPECT_EQ(r.filter.lowCutoff, 0);
    EXPECT_EQ(r.filter.highCutoff, 1200);
    EXPECT_TRUE(prompt.asked().empty());

    r.segments[1].material = 20;
    tables.UpdateDefaultCutoffs(r);
    EXPECT_EQ(CountAsked(prompt, string_id::kMsgLowDefaultError), 1u);
    EXPECT_EQ(CountAsked(prompt, string_id::kMsgHighDefaultError), 1u);
    EXPECT_EQ(r.filter.highCutoff, 0);
}

#ifdef _WIN32
void SetUserDataFolder(const std::string& folder) { _putenv_s("LOCALAPPDATA", folder.c_str()); }
void ClearUserDataFolder() { _putenv_s("LOCALAPPDATA", ""); }
#else
void SetUserDataFolder(const std::string& folder) { ::setenv("XDG_DATA_HOME", folder.c_str(), 1); }
void ClearUserDataFolder() { ::unsetenv("XDG_DATA_HOME"); }
#endif

TEST(MaterialCacheFolder, FallsBackToThePerUserFolder) {
    const std::string home = ScratchDirectory("xdg");
    SetUserDataFolder(home);
    EXPECT_EQ(ChooseCacheDirectory(home), home);  // writable: the program folder itself
    const std::string chosen = ChooseCacheDirectory("/nonexistent-vexlan-folder/bin");
    EXPECT_EQ(chosen, home + "vexlan/");
    EXPECT_TRUE(fs::is_directory(chosen));
    ClearUserDataFolder();
}

TEST(DocumentMaterials, SettersFillVelocityAndCutoffs) {
    ScriptedPrompt prompt;
    const std::string dir = ScratchDirectory("docmaterials");
    CopyShippedSources(dir);
    CorrelationRecord r;
    r.segments[0] = {3, 50, 100, 777, 1};
    WriteKed(dir + "pipe.ked", r);
    CVexlanDoc doc(prompt, dir);
    ASSERT_TRUE(doc.OpenCorrelationFile(dir + "pipe.ked"));
    EXPECT_TRUE(fs::exists(dir + kMaterialListCache));

    doc.SetSegmentMaterial(0, 10);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.record().segments[0].velocity, doc.VelocityForDiameter(10, 100));
    EXPECT_EQ(doc.record().filter.lowCutoff, doc.materials().materialFilterDefaults()[10].low);
    EXPECT_EQ(doc.record().filter.highCutoff, doc.materials().materialFilterDefaults()[10].high);
    doc.SetSegmentDiameter(0, 300);
    EXPECT_EQ(doc.record().segments[0].diameter, 300);
    EXPECT_LT(doc.record().segments[0].velocity, doc.VelocityForDiameter(10, 100));

    // A material without a velocity table keeps the velocity the segment had.
    doc.SetSegmentVelocity(0, 1234);
    doc.SetSegmentMaterial(0, 15);
    EXPECT_EQ(doc.record().segments[0].velocity, 1234);
    EXPECT_EQ(doc.record().filter.lowCutoff, 0);
    EXPECT_TRUE(prompt.asked().empty());
    EXPECT_EQ(CVexlanDoc::MaterialDisplayName(8), "PVC");
    EXPECT_EQ(CVexlanDoc::MaterialDisplayName(20), "");
}

TEST(DocumentMaterials, MissingListFilesWarnButOpenTheFile) {
    ScriptedPrompt prompt;
    const std::string dir = ScratchDirectory("nolists");
    WriteKed(dir + "pipe.ked", CorrelationRecord{});
    CVexlanDoc doc(prompt, dir);
    EXPECT_TRUE(doc.OpenCorrelationFile(dir + "pipe.ked"));
    EXPECT_EQ(CountAsked(prompt, string_id::kMsgNamesNotLoaded), 1u);
    EXPECT_EQ(CountAsked(prompt, string_id::kMsgListNotCreated), 1u);
    EXPECT_TRUE(doc.fileLoaded());
}

}  // namespace
}  // namespace vexlan
