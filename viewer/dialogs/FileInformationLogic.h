#pragma once
// The File Information dialog without widgets: the seven text fields of the record as the user
// sees them, the edit limits, and the copies into and out of the record. Record fields are
// fixed-width byte arrays; whatever is typed or pasted ends up inside its field, terminated, and
// never with a character cut in half.

#include <cstddef>
#include <string>

#include "correlation/CorrelationRecord.h"

namespace vexlan {

// Code points in a UTF-8 text (a stray byte counts as one).
std::size_t Utf8Length(const std::string& text);
bool IsValidUtf8(const std::string& text);
// The longest prefix of at most maxChars code points and maxBytes bytes, ending on a whole character.
std::string Utf8Prefix(const std::string& text, std::size_t maxChars, std::size_t maxBytes);

// A record field's bytes (up to the terminator or the field's end) as UTF-8 for display. Bytes
// that are not UTF-8 are taken as Latin-1, the instrument's single-byte text.
std::string FieldToText(const char* field, std::size_t width);
// Writes text into a field of `width` bytes: cut on a character boundary to width - 1 bytes,
// terminated, the rest zeroed.
void TextToField(const std::string& text, char* field, std::size_t width);

// What an edit box keeps after the user changed `before` into `after`: an insertion that would
// pass the limit keeps only as much of the inserted text as fits (whole characters); deleting
// and replacing with less text is always allowed, so an over-long text from a record can be
// shortened character by character.
std::string FitEdit(const std::string& before, const std::string& after, std::size_t maxChars, std::size_t maxBytes);

enum class InfoField { Title, Comment1, Comment2, Comment3, UserReference, CreatedDate, CreatedTime };
constexpr int kInfoFieldCount = 7;

struct InfoFieldSpec {
    InfoField field;
    int controlId;
    std::size_t width;     // bytes in the record
    std::size_t maxChars;  // edit limit; 0 = not editable
};
const InfoFieldSpec& FieldSpec(InfoField field);

class FileInformationLogic {
public:
    // Load from record: the seven texts, as display text.
    void LoadFromRecord(const CorrelationRecord& record);

    std::string& Text(InfoField field) { return texts_[static_cast<int>(field)]; }
    const std::string& Text(InfoField field) const { return texts_[static_cast<int>(field)]; }

    // The first editable field whose text breaks its limit, with the message for the user;
    // false when all fit.
    bool FindTooLong(InfoField& field, std::string& message) const;

    // Store to record, in the field order of the record. A text the user left as it was goes
    // back byte for byte; returns whether any byte of the record changed.
    bool StoreToRecord(CorrelationRecord& record) const;

private:
    std::string texts_[kInfoFieldCount];
    std::string loadedTexts_[kInfoFieldCount];
    char loadedBytes_[kInfoFieldCount][60] = {};
};

}  // namespace vexlan
