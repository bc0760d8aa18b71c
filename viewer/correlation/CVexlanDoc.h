#pragma once
// The document: one correlation result (the record as stored in a .ked file), the results derived
// from it by the recomputation, and the material tables. Qt-free; the viewer's document class
// wraps it, and every question or message goes through the prompt interface.

#include <cstdint>
#include <memory>
#include <string>

#include "correlation/CCorrelationEngine.h"
#include "correlation/CorrelationRecord.h"
#include "correlation/MaterialTables.h"
#include "res/Prompt.h"

namespace vexlan {

constexpr float kMinimumTotalLength = 0.1f;

struct DocSegment {
    float length = 0;
    float velocity = 0;
    float diameter = 0;
    std::uint16_t material = kNoMaterial;
};

struct DocFilterSummary {
    float lowCutoff = 0;
    float highCutoff = 0;
    bool autoFilter = false;
};

struct DocFileTexts {
    std::string fileName;  // the path after its last separator
    std::string title;
    std::string createdDate;
};

// The seven descriptive text fields, in the order the File Information dialog stores them.
enum class DocText { Title, Comment1, Comment2, Comment3, UserReference, CreatedDate, CreatedTime };
constexpr int kDocTextCount = 7;

// A correlation shown in place of the recomputation's own (a weighted method of the analysis):
// its trace, the time delay the cursor reads in each column, and where the cursor starts.
struct TraceOverlay {
    std::uint8_t displayTrace[kGraphWidth] = {};
    float columnDelay[kGraphWidth] = {};  // s
    std::uint16_t cursorColumn = 0;
};

struct FileInformationTexts {
    std::string title, comment1, comment2, comment3, userReference, createdDate, createdTime;
};

class CVexlanDoc {
public:
    // With an empty dataDirectory the folder of the running program is used.
    explicit CVexlanDoc(IPrompt& prompt, const std::string& dataDirectory = {});
    ~CVexlanDoc();
    CVexlanDoc(const CVexlanDoc&) = delete;
    CVexlanDoc& operator=(const CVexlanDoc&) = delete;

    CorrelationRecord& record() { return record_; }
    const CorrelationRecord& record() const { return record_; }

    // Framework entry points.
    bool OnNewDocument();
    bool OnOpenDocument(const std::string& path);
    bool GetPendingOpen(std::string& path) const;

    // Asks to save a modified file first (Cancel, or a failed save, stops here). Returns whether
    // the new file was loaded; when it could not be read the current file stays as it was.
    bool OpenCorrelationFile(const std::string& path);
    // Both return whether the write succeeded; a failed write leaves the document modified.
    // Save As takes the new path even when the write failed.
    bool SaveCorrelationFile();
    bool SaveCorrelationFileAs(const std::string& path);
    void ResetRecord();

    bool fileLoaded() const { return fileLoaded_; }
    void ClearFileLoaded() { fileLoaded_ = false; }
    bool IsModified() const { return modified_; }
    void SetModified(bool modified = true) { modified_ = modified; }
    const std::string& pathName() const { return pathName_; }
    const std::string& dataDirectory() const { return dataDirectory_; }

    // Recomputation and cursor (CVexlanDocCompute.cpp). None of them marks the document modified.
    bool RecomputeCorrelation();
    void MoveCursor(int column);
    void StepCursor(int step);  // +1 or -1; the cursor stays within the graph
    // Shows the overlay's trace and puts the cursor on its column, until the next recomputation.
    void ShowOverlay(const TraceOverlay& overlay);
    bool HasOverlay() const { return overlay_ != nullptr; }

    // Pipe.
    DocSegment GetSegment(int index) const;
    int CountSegmentsInUse() const;
    float TotalPipeLength() const;
    float GetSegmentLength(int index) const;
    void SetSegmentLength(int index, float length);
    void SetSegmentDiameter(int index, float diameter);
    void SetSegmentVelocity(int index, float velocity);
    void SetSegmentMaterial(int index, std::uint16_t material);

    // Filter.
    DocFilterSummary GetFilterSummary() const;
    void SetAutoFilter(std::uint8_t on);
    int CountNotchesInUse() const;
    NotchFilter GetNotch(int index) const;
    const FilterSettings& GetFilterSettings() const { return record_.filter; }
    void SetFilterSettings(const FilterSettings& filter);  // copies the block, marks modified

    // Sensors and texts.
    std::int8_t GetSensorPair() const { return record_.sensorPair; }
    DocFileTexts GetFileTexts() const;
    std::string GetText(DocText field) const;
    // Cut to fit its field with a terminator; a change marks the document modified.
    void SetText(DocText field, const std::string& text);
    FileInformationTexts GetFileInformation() const;
    void SetFileInformation(const FileInformationTexts& texts);

    // Removed region of the assembled correlation, from graph x positions relative to x0.
    void SetRemoveStart(int x, int x0);
    void SetRemoveEnd(int x, int x0);
    std::int32_t GetRemoveStart() const { return removeStart_; }
    std::int32_t GetRemoveEnd() const { return removeEnd_; }
    bool HasRemoveRegion() const { return removeEnd_ != 0; }

    // Derived results.
    const std::uint8_t* displayTrace() const { return displayTrace_; }  // kGraphWidth values
    std::uint16_t cursorColumn() const { return cursorColumn_; }
    std::uint16_t previousCursorColumn() const { return previousCursorColumn_; }
    float timeDelay() const { return timeDelay_; }
    float totalTravelTime() const { return totalTravelTime_; }
    float distanceFromSensor1() const { return distanceFromSensor1_; }
    float distanceFromSensor2() const { return distanceFromSensor2_; }
    const std::int16_t* spectrum1Db() const { return spectrum1Db_; }  // kSpectrumPoints values
    const std::int16_t* spectrum2Db() const { return spectrum2Db_; }
    std::uint16_t windowCentre() const { return windowCentre_; }
    std::uint16_t samplesPerColumn() const { return samplesPerColumn_; }
    // Why the last recomputation gave an empty result; None when it was computed.
    ComputeProblem computeProblem() const { return computeProblem_; }

    // Materials.
    MaterialTables& materials() { return materials_; }
    const MaterialTables& materials() const { return materials_; }
    static std::string MaterialDisplayName(int material);  // string-table name, "" outside 0..19
    float VelocityForDiameter(int material, float diameter) {
        return materials_.VelocityForDiameter(material, diameter);
    }

private:
    void ComputeDataDirectory();
    // installed: the lists are the installed tree's shared copy, whose folder is never written.
    void UseDataDirectory(const std::string& directory, bool installed = false);
    void LoadMaterials();
    void RunCursorComputation();
    PipeSegment* SegmentAt(int index);

    IPrompt& prompt_;
    MaterialTables materials_;
    CorrelationRecord record_;
    bool fixedDataDirectory_ = false;
    std::string dataDirectory_;
    std::string pathName_;
    bool fileLoaded_ = false;
    bool modified_ = false;
    bool pendingOpen_ = false;
    std::string pendingPath_;

    std::uint8_t displayTrace_[kGraphWidth] = {};
    std::int16_t spectrum1Db_[kSpectrumPoints] = {};
    std::int16_t spectrum2Db_[kSpectrumPoints] = {};
    std::uint16_t cursorColumn_ = 0;
    std::uint16_t previousCursorColumn_ = 0;
    float timeDelay_ = 0;
    float totalTravelTime_ = 0;
    float distanceFromSensor1_ = 0;
    float distanceFromSensor2_ = 0;
    std::uint16_t windowCentre_ = 0;
    std::uint16_t samplesPerColumn_ = 0;
    std::int32_t removeStart_ = 0;
    std::int32_t removeEnd_ = 0;
    ComputeProblem computeProblem_ = ComputeProblem::None;
    std::unique_ptr<TraceOverlay> overlay_;
};

// Folder of the running program with a trailing '/', or "" when it cannot be determined.
std::string ProgramDirectory();
// Folder of the material lists with a trailing '/': the program's own when they lie beside it,
// else share/vexlan/ of the installed tree; "" when the program's folder is unknown.
std::string ProgramDataDirectory();

}  // namespace vexlan
