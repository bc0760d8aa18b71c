#include "dialogs/CFilterSettingsDlg.h"
#include "res/StringIds.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <memory>

#include "correlation/CVexlanDoc.h"
#include "correlation/analysis/CorrelationAnalysis.h"
#include "dialogs/DialogControls.h"
#include "raster/RasterImage.h"
#include "dialogs/SpectrumRaster.h"
#include "res/StringTable.h"

namespace vexlan {
namespace {

constexpr int kRightButtonX = 594, kRightButtonWidth = 58;

QString Text(int item) { return LoadResourceText(resource::kFilterSettingsDialog, item); }

QLabel* Label(QWidget* parent, int id, int x, int y, int w, int h,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* l = PlacePx(new QLabel(Text(id), parent), id, x, y, w, h);
    l->setAlignment(align);
    return l;
}

QLabel* Display(QWidget* parent, int id, int x, int y, int w, int h) {
    auto* l = PlacePx(new QLabel(parent), id, x, y, w, h);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

QPushButton* Button(QWidget* parent, int id, int x, int y, int w, int h) {
    auto* b = PlacePx(new QPushButton(Text(id), parent), id, x, y, w, h);
    b->setAutoDefault(false);
    return b;
}

// Graph statics take the size of their 504 × 157 bitmap, plus a one-pixel border.
constexpr int kGraphX = 82;
constexpr int kUpperGraphY = 34;
constexpr int kLowerGraphY = 201;
constexpr int kGraphBoxWidth = kSpectrumGraphWidth + 2;
constexpr int kGraphBoxHeight = kSpectrumGraphHeight + 2;

}  // namespace

CFilterSettingsDlg::CFilterSettingsDlg(IPrompt& prompt, QWidget* parent) : QDialog(parent), logic_(prompt) {
    setWindowTitle(Text(0));
    setObjectName(QStringLiteral("IDD_148"));
    setFixedSize(DuToPixelsX(437), DuToPixelsY(351));
    CreateControls();
}

void CFilterSettingsDlg::CreateControls() {
    auto* psd = PlaceDu(new QGroupBox(Text(1071), this), 1071, 7, 7, 423, 266);
    psd->lower();
    auto graph = [&](int id, int y) {
        auto* g = PlacePx(new QLabel(this), id, kGraphX, y, kGraphBoxWidth, kGraphBoxHeight);
        g->setFrameStyle(QFrame::Box | QFrame::Plain);
        g->setLineWidth(1);
        QImage blank(kSpectrumGraphWidth, kSpectrumGraphHeight, QImage::Format_RGB32);
        blank.fill(Qt::white);
        g->setPixmap(QPixmap::fromImage(blank));
        return g;
    };
    upperGraph_ = graph(1109, kUpperGraphY);
    lowerGraph_ = graph(1179, kLowerGraphY);
    for (int i = 0; i < 6; ++i) {
        int step = (kGraphBoxHeight - 14) * i / 5;
        Label(this, 1097 + i, 48, kUpperGraphY + step, 30, 14, Qt::AlignRight | Qt::AlignVCenter);
        Label(this, 1103 + i, 48, kLowerGraphY + step, 30, 14, Qt::AlignRight | Qt::AlignVCenter);
    }
    auto* mag = Label(this, 1096, 14, 172, 34, 36, Qt::AlignCenter);
    mag->setWordWrap(true);
    Label(this, 1095, kGraphX, kLowerGraphY + kGraphBoxHeight + 2, kGraphBoxWidth, 18, Qt::AlignCenter);

    // The slider's groove spans the graph columns, one position per column.
    slider_ = PlacePx(new QSlider(Qt::Horizontal, this), 1112, kGraphX - 6, 384, kGraphBoxWidth + 12, 22);
    slider_->setRange(0, kSliderMaximum);
    slider_->setTickPosition(QSlider::NoTicks);
    connect(slider_, &QSlider::valueChanged, this, [this](int v) {
        logic_.OnSliderMoved(v);
        Sync();
    });

    Label(this, 1092, 196, 412, 104, 22, Qt::AlignRight | Qt::AlignVCenter);
    cursor_ = PlacePx(new QLineEdit(this), 1093, 306, 412, 84, 22);
    cursor_->setAlignment(Qt::AlignCenter);
    cursor_->setToolTip(LoadString(string_id::kCursorHint));
    cursor_->installEventFilter(this);
    Label(this, 1094, 394, 412, 24, 22);

    PlaceDu(new QGroupBox(this), 1075, 7, 270, 388, 74)->lower();

    PlacePx(new QGroupBox(Text(1135), this), 1135, 20, 448, 160, 50);
    lowCutoff_ = Display(this, 1133, 30, 468, 70, 22);
    Label(this, 1130, 104, 468, 22, 22);
    connect(Button(this, 1077, 128, 467, 44, 24), &QPushButton::clicked, this,
            [this] { Run(&FilterSettingsLogic::OnSetLowCutoff); });

    PlacePx(new QGroupBox(Text(1136), this), 1136, 20, 502, 160, 50);
    highCutoff_ = Display(this, 1132, 30, 522, 70, 22);
    Label(this, 1129, 104, 522, 22, 22);
    connect(Button(this, 1074, 128, 521, 44, 24), &QPushButton::clicked, this,
            [this] { Run(&FilterSettingsLogic::OnSetHighCutoff); });

    PlacePx(new QGroupBox(Text(1137), this), 1137, 188, 448, 300, 104);
    radioGroup_ = new QButtonGroup(this);
    for (int k = 0; k < kNotchCount; ++k) {
        radios_[k] = PlacePx(new QRadioButton(Text(1143 + k), this), 1143 + k, 198 + 40 * k, 466, 38, 20);
        radioGroup_->addButton(radios_[k], k);
    }
    connect(radioGroup_, &QButtonGroup::idClicked, this, [this](int k) {
        logic_.OnSelectNotch(k);
        Sync();
    });
    Label(this, 1183, 198, 494, 72, 22);
    notchLow_ = Display(this, 1134, 272, 494, 70, 22);
    Label(this, 1131, 346, 494, 22, 22);
    setNotchLow_ = Button(this, 1089, 370, 493, 44, 24);
    connect(setNotchLow_, &QPushButton::clicked, this, [this] { Run(&FilterSettingsLogic::OnSetNotchLow); });
    Label(this, 1184, 198, 522, 72, 22);
    notchHigh_ = Display(this, 1138, 272, 522, 70, 22);
    Label(this, 1139, 346, 522, 22, 22);
    setNotchHigh_ = Button(this, 1091, 370, 521, 44, 24);
    connect(setNotchHigh_, &QPushButton::clicked, this, [this] { Run(&FilterSettingsLogic::OnSetNotchHigh); });
    connect(Button(this, 1149, 424, 464, 56, 24), &QPushButton::clicked, this,
            [this] { Run(&FilterSettingsLogic::OnAddNotch); });
    delete_ = Button(this, 1150, 424, 493, 56, 24);
    connect(delete_, &QPushButton::clicked, this, [this] { Run(&FilterSettingsLogic::OnDeleteNotch); });

    autoFilter_ = PlacePx(new QCheckBox(Text(1148), this), 1148, 498, 462, 90, 22);
    autoFilter_->setEnabled(false);
    autoFilter_->setChecked(false);
    connect(Button(this, 1090, 498, 500, 80, 24), &QPushButton::clicked, this,
            [this] { Run(&FilterSettingsLogic::OnClear); });

    // The column of buttons on the right is as wide as "Suggest" needs at the default font.
    auto* ok = PlacePx(new QPushButton(Text(1), this), 1, kRightButtonX, 450, kRightButtonWidth, 24);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = Button(this, 2, kRightButtonX, 480, kRightButtonWidth, 24);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // The band where the two sensors agree, for the user to confirm with OK.
    auto* suggest = new QPushButton(LoadString(string_id::kSuggestButtonText), this);
    suggest->setObjectName("SuggestButton");
    suggest->setGeometry(kRightButtonX, 510, kRightButtonWidth, 24);
    suggest->setAutoDefault(false);
    connect(suggest, &QPushButton::clicked, this, [this] {
        if (!suggest_) return;
        const auto [low, high] = suggest_();
        logic_.OnSuggest(low, high);
        Sync();
    });
}

void CFilterSettingsDlg::Initialise(const FilterSettings& filter, const std::int16_t* spectrum1Db,
                                    const std::int16_t* spectrum2Db, int sensorPair) {
    logic_.Initialise(filter, spectrum1Db, spectrum2Db, sensorPair);
    logic_.OnInitDialog();
    initialised_ = true;
    Sync();
}

void CFilterSettingsDlg::showEvent(QShowEvent* event) {
    if (!initialised_) {
        logic_.OnInitDialog();
        initialised_ = true;
    }
    Sync();
    QDialog::showEvent(event);
}

void CFilterSettingsDlg::Run(void (FilterSettingsLogic::*handler)()) {
    (logic_.*handler)();
    Sync();
}

bool CFilterSettingsDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == cursor_) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                ApplyTypedFrequency();
                return true;  // Enter here moves the slider; it does not close the dialog
            }
        } else if (event->type() == QEvent::FocusOut && cursor_->isModified()) {
            ApplyTypedFrequency();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CFilterSettingsDlg::ApplyTypedFrequency() {
    if (applyingEntry_) return;
    applyingEntry_ = true;
    cursor_->setModified(false);
    logic_.OnCursorEntered(cursor_->text().toStdString());
    Sync();  // a refused entry shows the cursor text as it was
    applyingEntry_ = false;
}

void CFilterSettingsDlg::Sync() {
    const FilterDialogControls& c = logic_.Controls();
    {
        QSignalBlocker block(slider_);
        slider_->setValue(c.sliderPos);
    }
    if (!cursor_->hasFocus() || !cursor_->isModified()) cursor_->setText(QString::fromStdString(c.cursorText));
    lowCutoff_->setText(QString::fromStdString(c.lowCutoffText));
    highCutoff_->setText(QString::fromStdString(c.highCutoffText));
    notchLow_->setText(QString::fromStdString(c.notchLowText));
    notchHigh_->setText(QString::fromStdString(c.notchHighText));
    radioGroup_->setExclusive(false);
    for (int k = 0; k < kNotchCount; ++k) {
        radios_[k]->setEnabled(c.radioEnabled[k]);
        radios_[k]->setChecked(c.checkedRadio == k);
    }
    radioGroup_->setExclusive(true);
    setNotchLow_->setEnabled(c.notchSetEnabled);
    setNotchHigh_->setEnabled(c.notchSetEnabled);
    delete_->setEnabled(c.deleteEnabled);
    if (logic_.GraphGeneration() != shownGeneration_) RedrawGraphs();
}

void CFilterSettingsDlg::RedrawGraphs() {
    // Rendered off-screen and handed over whole, so a graph never shows half drawn.
    PixelBuffer upper(kSpectrumGraphWidth, kSpectrumGraphHeight), lower(kSpectrumGraphWidth, kSpectrumGraphHeight);
    logic_.DrawGraphs(upper, lower);
    upperGraph_->setPixmap(ToPixmap(upper));
    lowerGraph_->setPixmap(ToPixmap(lower));
    shownGeneration_ = logic_.GraphGeneration();
    update();
}

QImage CFilterSettingsDlg::upperGraphImage() const { return upperGraph_->pixmap().toImage(); }
QImage CFilterSettingsDlg::lowerGraphImage() const { return lowerGraph_->pixmap().toImage(); }

bool RunFilterSettingsDialog(QWidget* parent, CVexlanDoc& doc, IPrompt& prompt) {
    CFilterSettingsDlg dialog(prompt, parent);
    dialog.Initialise(doc.GetFilterSettings(), doc.spectrum1Db(), doc.spectrum2Db(), doc.GetSensorPair());
    dialog.SetSuggestion([&doc] {
        // Suggested from every stored bin: the current cut-offs and notches do not narrow it.
        auto open = std::make_unique<CorrelationRecord>(doc.record());
        open->filter = FilterSettings{};
        const analysis::FrequencyBand band =
            analysis::AnalyseCorrelation(*open, analysis::CorrelationMethod::Phat).suggestedBand;
        return std::pair<float, float>(float(band.low), float(band.high));
    });
    if (dialog.exec() != QDialog::Accepted) return false;
    FilterSettings filter;
    dialog.ReadBack(filter);
    doc.SetFilterSettings(filter);
    return true;
}

}  // namespace vexlan
