#include "correlation/CVexlanDoc.h"
#include "res/StringIds.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "correlation/CCorrelationFile.h"
#include "storage/SafeFileWriter.h"
#include "res/StringTable.h"

namespace vexlan {

namespace {

struct TextFieldRef {
    char* text;
    std::size_t size;
};

TextFieldRef TextField(CorrelationRecord& r, DocText field) {
    switch (field) {
    case DocText::Title: return {r.title, sizeof r.title};
    case DocText::Comment1: return {r.comment1, sizeof r.comment1};
    case DocText::Comment2: return {r.comment2, sizeof r.comment2};
    case DocText::Comment3: return {r.comment3, sizeof r.comment3};
    case DocText::UserReference: return {r.userReference, sizeof r.userReference};
    case DocText::CreatedDate: return {r.createdDate, sizeof r.createdDate};
    case DocText::CreatedTime: return {r.createdTime, sizeof r.createdTime};
    }
    return {r.title, sizeof r.title};
}

// A field's text up to its terminator; a field filled to the last byte is taken whole.
std::string FieldText(const char* text, std::size_t size) {
    std::size_t n = 0;
    while (n < size && text[n] != 0) ++n;
    return std::string(text, n);
}

std::int32_t RemovePoint(int x, int x0, int samplesPerColumn, int windowCentre) {
    if (x == 0) return 0;
    const std::int64_t v = std::int64_t(samplesPerColumn) * (std::int64_t(x) - x0) + windowCentre;
    return std::int32_t(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

std::string WithSeparator(std::string dir) {
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
}

}  // namespace

CVexlanDoc::CVexlanDoc(IPrompt& prompt, const std::string& dataDirectory) : prompt_(prompt), materials_(prompt) {
    if (!dataDirectory.empty()) {
        fixedDataDirectory_ = true;
        UseDataDirectory(WithSeparator(dataDirectory));
    } else {
        const std::string dir = ProgramDataDirectory();
        if (!dir.empty()) UseDataDirectory(dir, dir != ProgramDirectory());
    }
    ResetRecord();
}

CVexlanDoc::~CVexlanDoc() = default;

void CVexlanDoc::UseDataDirectory(const std::string& directory, bool installed) {
    dataDirectory_ = directory;
    // Even a user who may write there (root) leaves the installed tree as the package made it.
    const std::string perUser = installed ? PerUserCacheDirectory() : std::string();
    materials_.SetDirectories(directory, perUser.empty() ? ChooseCacheDirectory(directory) : perUser);
}

void CVexlanDoc::ComputeDataDirectory() {
    if (fixedDataDirectory_) return;
    const std::string dir = ProgramDataDirectory();
    if (dir.empty()) {
        AskString(prompt_, string_id::kMsgProgramFolderUnknown, PromptIcon::Stop, PromptButtons::Ok);
        return;
    }
    UseDataDirectory(dir, dir != ProgramDirectory());
}

bool CVexlanDoc::OnNewDocument() {
    ComputeDataDirectory();
    return true;
}

bool CVexlanDoc::OnOpenDocument(const std::string& path) {
    pendingOpen_ = true;
    pendingPath_ = path;
    ComputeDataDirectory();
    return true;
}

bool CVexlanDoc::GetPendingOpen(std::string& path) const {
    if (!pendingOpen_) return false;
    path = pendingPath_;
    return true;
}

bool CVexlanDoc::OpenCorrelationFile(const std::string& path) {
    if (fileLoaded_ && modified_) {
        const PromptAnswer answer =
            AskString(prompt_, string_id::kMsgSaveCurrentFile, PromptIcon::Question, PromptButtons::YesNoCancel);
        if (answer == PromptAnswer::Cancel) return false;
        // The edits would be lost if the new file replaced them after a failed save.
        if (answer == PromptAnswer::Yes && !SaveCorrelationFile()) return false;
    }
    // Read beside the current record, so that a file that cannot be read leaves the current one
    // in place instead of an empty or half-read document.
    CorrelationRecord loaded{};
    CCorrelationFile file;
    if (!file.ReadCorrelationFile(path, loaded)) {
        file.ShowLastError(prompt_);
        return false;
    }
    ResetRecord();
    record_ = loaded;
    pathName_ = path;
    fileLoaded_ = true;
    LoadMaterials();
    if (!file.lastReadComplete()) {
        const std::string text =
            FormatString(string_id::kMsgIncompleteFile, static_cast<unsigned long long>(file.bytesRead()),
                         static_cast<unsigned long long>(kFileSize));
        prompt_.Ask(text, PromptIcon::Warning, PromptButtons::Ok);
    }
    // The file still opens, so that its texts and pipe can be seen and mended, but the user hears
    // why there is no result instead of seeing empty or meaningless numbers. A file without
    // correlation blocks is an empty result, not a broken one.
    const ComputeProblem problem = FindComputeProblem(record_);
    if (problem != ComputeProblem::None && record_.blockCount >= 1) {
        const std::string text = FormatString(string_id::kMsgCannotRecompute, DescribeComputeProblem(problem));
        prompt_.Ask(text, PromptIcon::Warning, PromptButtons::Ok);
    }
    return true;
}

void CVexlanDoc::LoadMaterials() {
    if (!materials_.LoadMaterialTables())
        AskString(prompt_, string_id::kMsgNamesNotLoaded, PromptIcon::Warning, PromptButtons::Ok);
    materials_.EnsureMaterialList();
}

// A read-only file is replaced only when the user agrees; No is a refusal, not another error.
template <typename Write>
static bool WriteAskingForReadOnly(IPrompt& prompt, Write write) {
    CCorrelationFile file;
    if (write(file, false)) return true;
    if (file.lastError() == string_id::kMsgOutputReadOnly) {
        if (AskString(prompt, string_id::kMsgOutputReadOnly, PromptIcon::Question, PromptButtons::YesNo) !=
            PromptAnswer::Yes)
            return false;
        if (write(file, true)) return true;
    }
    file.ShowLastError(prompt);
    return false;
}

bool CVexlanDoc::SaveCorrelationFile() {
    const bool ok = WriteAskingForReadOnly(prompt_, [&](CCorrelationFile& file, bool replaceReadOnly) {
        return file.WriteCorrelationFile(pathName_, record_, replaceReadOnly);
    });
    if (ok) modified_ = false;
    return ok;
}

bool CVexlanDoc::SaveCorrelationFileAs(const std::string& path) {
    // The chosen path is the document's from now on, so that a later Save never writes over the
    // file the user moved away from.
    pathName_ = path;
    const bool ok = WriteAskingForReadOnly(prompt_, [&](CCorrelationFile& file, bool replaceReadOnly) {
        std::string written;
        return file.WriteCorrelationFileAs(path, record_, written, replaceReadOnly);
    });
    if (ok) modified_ = false;
    return ok;
}

void CVexlanDoc::ResetRecord() {
    record_ = CorrelationRecord{};
    overlay_.reset();
    std::memset(displayTrace_, 0, sizeof displayTrace_);
    std::memset(spectrum1Db_, 0, sizeof spectrum1Db_);
    std::memset(spectrum2Db_, 0, sizeof spectrum2Db_);
    distanceFromSensor1_ = distanceFromSensor2_ = 0;
    cursorColumn_ = previousCursorColumn_ = 0;
    timeDelay_ = totalTravelTime_ = 0;
    windowCentre_ = samplesPerColumn_ = 0;
    computeProblem_ = ComputeProblem::None;
    materials_.ClearFilterDefaults();
    removeStart_ = removeEnd_ = 0;
    fileLoaded_ = false;
    modified_ = false;
}

PipeSegment* CVexlanDoc::SegmentAt(int index) {
    if (index < 0 || index >= kSegmentCount) return nullptr;
    return &record_.segments[index];
}

DocSegment CVexlanDoc::GetSegment(int index) const {
    if (CountSegmentsInUse() == 0 || index < 0 || index >= kSegmentCount) return {};
    const PipeSegment& s = record_.segments[index];
    return {s.length, s.velocity, s.diameter, s.material};
}

int CVexlanDoc::CountSegmentsInUse() const {
    return int(std::count_if(std::begin(record_.segments), std::end(record_.segments),
                             [](const PipeSegment& s) { return s.inUse == 1; }));
}

float CVexlanDoc::TotalPipeLength() const {
    float total = 0;
    const int used = CountSegmentsInUse();
    for (int i = 0; i < used; ++i) total += record_.segments[i].length;
    // Callers divide by it: a damaged length must not turn into an infinite or NaN scale.
    if (!(total >= kMinimumTotalLength) || !std::isfinite(total)) return kMinimumTotalLength;
    return total;
}

float CVexlanDoc::GetSegmentLength(int index) const {
    if (index < 0 || index >= kSegmentCount) return 0;
    return record_.segments[index].length;
}

void CVexlanDoc::SetSegmentLength(int index, float length) {
    if (PipeSegment* s = SegmentAt(index)) {
        s->length = length;
        modified_ = true;
    }
}

void CVexlanDoc::SetSegmentDiameter(int index, float diameter) {
    PipeSegment* s = SegmentAt(index);
    if (!s) return;
    s->diameter = diameter;
    // Without a velocity table for the material the user's velocity stays.
    const float velocity = materials_.VelocityForDiameter(s->material, diameter);
    if (velocity > 0) s->velocity = velocity;
    modified_ = true;
}

void CVexlanDoc::SetSegmentVelocity(int index, float velocity) {
    if (PipeSegment* s = SegmentAt(index)) {
        s->velocity = velocity;
        modified_ = true;
    }
}

void CVexlanDoc::SetSegmentMaterial(int index, std::uint16_t material) {
    PipeSegment* s = SegmentAt(index);
    if (!s) return;
    s->material = material;
    const float velocity = materials_.VelocityForDiameter(material, s->diameter);
    if (velocity > 0) s->velocity = velocity;
    materials_.UpdateDefaultCutoffs(record_);
    modified_ = true;
}

DocFilterSummary CVexlanDoc::GetFilterSummary() const {
    return {record_.filter.lowCutoff, record_.filter.highCutoff, record_.filter.autoFilter != 0};
}

void CVexlanDoc::SetAutoFilter(std::uint8_t on) {
    record_.filter.autoFilter = on;
    modified_ = true;
}

int CVexlanDoc::CountNotchesInUse() const {
    return int(std::count_if(std::begin(record_.filter.notches), std::end(record_.filter.notches),
                             [](const NotchFilter& n) { return n.notchStart != 0; }));
}

NotchFilter CVexlanDoc::GetNotch(int index) const {
    if (index < 0 || index >= kNotchCount) return {};
    return record_.filter.notches[index];
}

void CVexlanDoc::SetFilterSettings(const FilterSettings& filter) {
    record_.filter = filter;
    modified_ = true;
}

DocFileTexts CVexlanDoc::GetFileTexts() const {
    DocFileTexts texts;
    const std::size_t slash = pathName_.rfind('/');
    texts.fileName = slash == std::string::npos ? pathName_ : pathName_.substr(slash + 1);
    texts.title = GetText(DocText::Title);
    texts.createdDate = GetText(DocText::CreatedDate);
    return texts;
}

std::string CVexlanDoc::GetText(DocText field) const {
    const TextFieldRef f = TextField(const_cast<CorrelationRecord&>(record_), field);
    return FieldText(f.text, f.size);
}

void CVexlanDoc::SetText(DocText field, const std::string& text) {
    if (GetText(field) == text) return;
    const TextFieldRef f = TextField(record_, field);
    const std::size_t n = std::min({text.size(), std::strlen(text.c_str()), f.size - 1});
    std::memset(f.text, 0, f.size);
    std::memcpy(f.text, text.data(), n);
    modified_ = true;
}

FileInformationTexts CVexlanDoc::GetFileInformation() const {
    return {GetText(DocText::Title),      GetText(DocText::Comment1),      GetText(DocText::Comment2),
            GetText(DocText::Comment3),   GetText(DocText::UserReference), GetText(DocText::CreatedDate),
            GetText(DocText::CreatedTime)};
}

void CVexlanDoc::SetFileInformation(const FileInformationTexts& t) {
    SetText(DocText::Title, t.title);
    SetText(DocText::Comment1, t.comment1);
    SetText(DocText::Comment2, t.comment2);
    SetText(DocText::Comment3, t.comment3);
    SetText(DocText::UserReference, t.userReference);
    SetText(DocText::CreatedDate, t.createdDate);
    SetText(DocText::CreatedTime, t.createdTime);
}

void CVexlanDoc::SetRemoveStart(int x, int x0) { removeStart_ = RemovePoint(x, x0, samplesPerColumn_, windowCentre_); }

void CVexlanDoc::SetRemoveEnd(int x, int x0) {
    removeEnd_ = RemovePoint(x, x0, samplesPerColumn_, windowCentre_);
    if (removeEnd_ < removeStart_) std::swap(removeStart_, removeEnd_);
}

std::string CVexlanDoc::MaterialDisplayName(int material) {
    if (material < 0 || material >= string_id::kMaterialCount) return {};
    return LoadString(string_id::kMaterialNameBase + material);
}

}  // namespace vexlan
