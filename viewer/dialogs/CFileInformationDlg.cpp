#include "dialogs/CFileInformationDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "correlation/CVexlanDoc.h"
#include "dialogs/DialogControls.h"
#include "res/StringTable.h"

namespace vexlan {
namespace {

struct EditPlace {
    InfoField field;
    int x, y, width, height;
    int roomRight;  // how far a read-only box may grow for its text
};

constexpr EditPlace kEdits[] = {
    {InfoField::Title, 18, 22, 247, 14, 0},
    {InfoField::Comment1, 18, 55, 247, 14, 0},
    {InfoField::Comment2, 18, 70, 247, 14, 0},
    {InfoField::Comment3, 18, 85, 247, 14, 0},
    {InfoField::UserReference, 18, 117, 86, 14, 0},
    {InfoField::CreatedTime, 133, 117, 46, 14, 206},  // under "Date Created"
    {InfoField::CreatedDate, 211, 117, 46, 14, 275},  // under "Time Created"
};

// A read-only box widens to show its whole text, within its room; the text is whole in the
// tooltip when even that is too little.
void FitReadOnly(QLineEdit* edit, const EditPlace& place) {
    const int frame = 10;  // the box's frame and inner margins
    const int needed = edit->fontMetrics().horizontalAdvance(edit->text()) + frame;
    const int width = std::min(std::max(DuToPixelsX(place.width), needed), DuToPixelsX(place.roomRight - place.x));
    edit->resize(width, edit->height());
    edit->setToolTip(needed > width ? edit->text() : QString());
}

int Index(InfoField field) { return static_cast<int>(field); }

QString Text(int item) { return LoadResourceText(resource::kFileInformationDialog, item); }

}  // namespace

CFileInformationDlg::CFileInformationDlg(IPrompt& prompt, QWidget* parent) : QDialog(parent), prompt_(prompt) {
    setWindowTitle(Text(0));
    setObjectName(QStringLiteral("IDD_175"));
    setFixedSize(DuToPixelsX(282), DuToPixelsY(166));
    CreateControls();
}

void CFileInformationDlg::CreateControls() {
    struct LabelPlace {
        int id;
        int x, y, width, height;
    };
    const LabelPlace labels[] = {
        {1169, 18, 12, 247, 8},  {1170, 18, 45, 246, 8},  {1171, 18, 107, 87, 8},
        {1172, 133, 107, 67, 8}, {1173, 210, 107, 57, 8},
    };
    for (const LabelPlace& l : labels) PlaceDu(new QLabel(Text(l.id), this), l.id, l.x, l.y, l.width, l.height);

    for (const EditPlace& e : kEdits) {
        const InfoFieldSpec& spec = FieldSpec(e.field);
        auto* edit = PlaceDu(new QLineEdit(this), spec.controlId, e.x, e.y, e.width, e.height);
        if (spec.maxChars == 0) {
            edit->setReadOnly(true);
            edit->setAlignment(Qt::AlignCenter);
        } else {
            // textEdited covers typing, pasting and dropping, but not our own setText.
            connect(edit, &QLineEdit::textEdited, this, [this, f = e.field] { OnEdited(f); });
        }
        edits_[Index(e.field)] = edit;
    }

    auto* ok = PlaceDu(new QPushButton(Text(1), this), 1, 150, 140, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CFileInformationDlg::accept);
    auto* cancel = PlaceDu(new QPushButton(Text(2), this), 2, 216, 140, 50, 14);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CFileInformationDlg::LoadFromRecord(const CorrelationRecord& record) {
    logic_.LoadFromRecord(record);
    ShowTexts();
}

void CFileInformationDlg::ShowTexts() {
    for (int i = 0; i < kInfoFieldCount; ++i) {
        edits_[i]->setText(QString::fromStdString(logic_.Text(static_cast<InfoField>(i))));
        edits_[i]->setCursorPosition(0);
    }
    for (const EditPlace& e : kEdits)
        if (e.roomRight) FitReadOnly(edits_[Index(e.field)], e);
}

void CFileInformationDlg::OnEdited(InfoField field) {
    QLineEdit* edit = edits_[Index(field)];
    const InfoFieldSpec& spec = FieldSpec(field);
    std::string& text = logic_.Text(field);
    const std::string typed = edit->text().toStdString();
    const std::string kept = FitEdit(text, typed, spec.maxChars, spec.width - 1);
    if (kept != typed) {
        // Keep the caret where the kept part of the insertion ends.
        const int cursor = edit->cursorPosition();
        const int lost = QString::fromStdString(typed).size() - QString::fromStdString(kept).size();
        edit->setText(QString::fromStdString(kept));
        edit->setCursorPosition(cursor - lost < 0 ? 0 : cursor - lost);
    }
    text = kept;
}

void CFileInformationDlg::accept() {
    InfoField field;
    std::string message;
    if (logic_.FindTooLong(field, message)) {
        prompt_.Ask(message, PromptIcon::Warning, PromptButtons::Ok);
        QLineEdit* edit = edits_[Index(field)];
        edit->setFocus();
        edit->selectAll();
        return;  // stays open until the text fits
    }
    QDialog::accept();
}

bool RunFileInformationDialog(QWidget* parent, CVexlanDoc& doc, IPrompt& prompt) {
    CFileInformationDlg dialog(prompt, parent);
    dialog.LoadFromRecord(doc.record());
    if (dialog.exec() != QDialog::Accepted) return false;
    if (!dialog.StoreToRecord(doc.record())) return false;
    doc.SetModified(true);
    return true;
}

}  // namespace vexlan
