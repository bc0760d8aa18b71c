#include "dialogs/FileInformationLogic.h"
#include "res/StringIds.h"

#include <cstring>

#include "res/StringTable.h"

namespace vexlan {
namespace {

// Length of the UTF-8 sequence at text[i], or 0 when the bytes there are not one.
std::size_t SequenceLength(const std::string& text, std::size_t i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i);
    std::size_t n = lead < 0x80             ? 1
                    : (lead & 0xE0) == 0xC0 ? 2
                    : (lead & 0xF0) == 0xE0 ? 3
                    : (lead & 0xF8) == 0xF0 ? 4
                                            : 0;
    if (n == 0 || i + n > text.size()) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    if (n == 2 && lead < 0xC2) return 0;  // overlong
    if (n == 3) {
        unsigned cp = ((lead & 0x0Fu) << 12) | ((byte(i + 1) & 0x3Fu) << 6);
        if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    }
    if (n == 4) {
        unsigned cp = ((lead & 0x07u) << 18) | ((byte(i + 1) & 0x3Fu) << 12);
        if (cp < 0x10000 || cp > 0x10FFFF) return 0;
    }
    return n;
}

// Byte length of the character at i, treating a stray byte as a character of its own.
std::size_t CharBytes(const std::string& text, std::size_t i) {
    std::size_t n = SequenceLength(text, i);
    return n == 0 ? 1 : n;
}

constexpr InfoFieldSpec kSpecs[kInfoFieldCount] = {
    {InfoField::Title, 1162, sizeof CorrelationRecord::title, 12},
    {InfoField::Comment1, 1163, sizeof CorrelationRecord::comment1, 59},
    {InfoField::Comment2, 1164, sizeof CorrelationRecord::comment2, 59},
    {InfoField::Comment3, 1165, sizeof CorrelationRecord::comment3, 59},
    {InfoField::UserReference, 1166, sizeof CorrelationRecord::userReference, 19},
    // The instrument's date goes in the box under "Time Created" and its time under "Date Created".
    {InfoField::CreatedDate, 1168, sizeof CorrelationRecord::createdDate, 0},
    {InfoField::CreatedTime, 1043, sizeof CorrelationRecord::createdTime, 0},
};

char* FieldOf(CorrelationRecord& r, InfoField f) {
    switch (f) {
    case InfoField::Title: return r.title;
    case InfoField::Comment1: return r.comment1;
    case InfoField::Comment2: return r.comment2;
    case InfoField::Comment3: return r.comment3;
    case InfoField::UserReference: return r.userReference;
    case InfoField::CreatedDate: return r.createdDate;
    case InfoField::CreatedTime: return r.createdTime;
    }
    return r.title;
}
const char* FieldOf(const CorrelationRecord& r, InfoField f) { return FieldOf(const_cast<CorrelationRecord&>(r), f); }

}  // namespace

std::size_t Utf8Length(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); i += CharBytes(text, i)) ++count;
    return count;
}

bool IsValidUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = SequenceLength(text, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string Utf8Prefix(const std::string& text, std::size_t maxChars, std::size_t maxBytes) {
    std::size_t i = 0, chars = 0;
    while (i < text.size() && chars < maxChars) {
        std::size_t n = CharBytes(text, i);
        if (i + n > maxBytes) break;
        i += n;
        ++chars;
    }
    return text.substr(0, i);
}

std::string FieldToText(const char* field, std::size_t width) {
    std::string raw(field, strnlen(field, width));
    if (IsValidUtf8(raw)) return raw;
    std::string text;
    for (unsigned char c : raw) {
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}

void TextToField(const std::string& text, char* field, std::size_t width) {
    if (width == 0) return;
    std::string fitted = Utf8Prefix(text, width, width - 1);
    std::memset(field, 0, width);
    std::memcpy(field, fitted.data(), fitted.size());
}

std::string FitEdit(const std::string& before, const std::string& after, std::size_t maxChars, std::size_t maxBytes) {
    auto fits = [&](const std::string& t) { return t.size() <= maxBytes && Utf8Length(t) <= maxChars; };
    if (fits(after) || after.size() <= before.size()) return after;
    // The edit inserted after[prefix, after.size() - suffix) in place of before's middle.
    std::size_t prefix = 0;
    while (prefix < before.size() && before[prefix] == after[prefix]) ++prefix;
    auto continuation = [&](std::size_t i) { return (static_cast<unsigned char>(after[i]) & 0xC0) == 0x80; };
    while (prefix > 0 && continuation(prefix)) --prefix;  // back to the start of a character
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    while (suffix > 0 && continuation(after.size() - suffix)) --suffix;  // the kept tail starts on a whole character
    std::string head = after.substr(0, prefix);
    std::string tail = after.substr(after.size() - suffix);
    std::string inserted = after.substr(prefix, after.size() - suffix - prefix);
    std::size_t usedChars = Utf8Length(head) + Utf8Length(tail);
    std::size_t usedBytes = head.size() + tail.size();
    if (usedChars > maxChars || usedBytes > maxBytes) return before;
    return head + Utf8Prefix(inserted, maxChars - usedChars, maxBytes - usedBytes) + tail;
}

const InfoFieldSpec& FieldSpec(InfoField field) { return kSpecs[static_cast<int>(field)]; }

void FileInformationLogic::LoadFromRecord(const CorrelationRecord& record) {
    for (const InfoFieldSpec& s : kSpecs) {
        int i = static_cast<int>(s.field);
        const char* field = FieldOf(record, s.field);
        texts_[i] = loadedTexts_[i] = FieldToText(field, s.width);
        std::memcpy(loadedBytes_[i], field, s.width);
    }
}

bool FileInformationLogic::FindTooLong(InfoField& field, std::string& message) const {
    for (const InfoFieldSpec& s : kSpecs) {
        if (s.maxChars == 0) continue;
        const std::string& t = texts_[static_cast<int>(s.field)];
        if (Utf8Length(t) > s.maxChars) {
            message = FormatString(string_id::kMsgTooManyCharacters, static_cast<unsigned>(s.maxChars));
        } else if (t.size() > s.width - 1) {
            message = LoadString(string_id::kMsgTooManyBytes);
        } else {
            continue;
        }
        field = s.field;
        return true;
    }
    return false;
}

bool FileInformationLogic::StoreToRecord(CorrelationRecord& record) const {
    bool changed = false;
    for (const InfoFieldSpec& s : kSpecs) {
        int i = static_cast<int>(s.field);
        char* field = FieldOf(record, s.field);
        char image[60] = {};
        if (texts_[i] == loadedTexts_[i]) {
            std::memcpy(image, loadedBytes_[i], s.width);
        } else {
            TextToField(s.maxChars ? Utf8Prefix(texts_[i], s.maxChars, s.width - 1) : texts_[i], image, s.width);
        }
        if (std::memcmp(field, image, s.width) != 0) changed = true;
        std::memcpy(field, image, s.width);
    }
    return changed;
}

}  // namespace vexlan
