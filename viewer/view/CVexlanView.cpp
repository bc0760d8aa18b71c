#include "view/CVexlanView.h"
#include "res/StringIds.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>

#include "view/FormTemplate.h"
#include "view/QtPixels.h"
#include "view/SensorArt.h"
#include "res/StringTable.h"
#include "view/TextFit.h"
#include "view/Units.h"

namespace vexlan {
namespace {

// A drop-down list's closed height; the template's height includes the dropped list.
constexpr int kDropListHeight = 21;
constexpr int kFontPixels = 11;
// Clear pixels kept between a text and the next control's frame.
constexpr int kClearance = 3;
// A drop-down list's frame and arrow beside its text.
constexpr int kDropListChrome = 32;
constexpr int kLengthUnitsGroup = 1033;

// Group box captions sit on the frame line, as the template's places assume: a style that puts
// the caption above the line would push the line onto the first control inside.
constexpr const char* kGroupBoxStyle =
    "QGroupBox { margin-top: 6px; border: 1px solid palette(mid); border-radius: 2px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px; padding: 0 2px; }";

QString Q(const std::string& text) { return QString::fromStdString(text); }

Qt::Alignment TextAlignment(unsigned flags) {
    Qt::Alignment horizontal = (flags & kAlignCentre)  ? Qt::AlignHCenter
                               : (flags & kAlignRight) ? Qt::AlignRight
                                                       : Qt::AlignLeft;
    return horizontal | Qt::AlignVCenter;
}

void SetTextIfChanged(QLineEdit* edit, const QString& text) {
    if (edit->text() != text) edit->setText(text);
}

void SetTextIfChanged(QLabel* label, const QString& text) {
    if (label->text() != text) label->setText(text);
}

// The size a picture control takes: its bitmap's, plus the border when it has one.
QSize PictureSize(int id, unsigned flags) {
    int border = (flags & kBordered) ? 2 : 0;
    switch (id) {
    case idc::kGraph: return {kGraphWidth + border, kGraphHeight + border};
    case idc::kScaleBar: return {kScaleBarWidth, kScaleBarHeight};
    case idc::kKey: return {kKeyWidth, kKeyHeight};
    default: return {48, 51};  // the sensor pictures; the handset is the wider one
    }
}

}  // namespace

CVexlanView::CVexlanView(IViewDocument& document, IPrompt& prompt, QWidget* parent)
    : QWidget(parent),
      logic_(document, prompt,
             {[this] {
                  if (enableFileCommands_) enableFileCommands_();
              },
              {}}) {
    setObjectName("CVexlanView");
    QFont font = this->font();
    font.setPixelSize(kFontPixels);
    setFont(font);
    setStyleSheet(kGroupBoxStyle);
    setMinimumSize(FormSize());
    CreateControls();
    FitControlsToTexts();
    ConnectControls();
    Sync();
}

void CVexlanView::FitControlsToTexts() {
    // The material list takes the width its longest name needs, as far as the Length group.
    const int materialRoom = DuToPixelsX(FindControl(kLengthUnitsGroup)->x) - kClearance - material_->x();
    int materialWidth = material_->width();
    for (int i = 0; i < kOfferedMaterials; ++i)
        materialWidth = std::max(materialWidth, material_->fontMetrics().horizontalAdvance(
                                                    QString::fromUtf8(LoadString(string_id::kMaterialNameBase + i))) +
                                                    kDropListChrome);
    material_->resize(std::min(materialWidth, materialRoom), material_->height());
    // The velocity's two unit texts close up behind its box, so that the time unit stays clear of
    // the Time group's frame.
    auto* perUnit = static_cast<QLabel*>(controls_[idc::kVelocityUnit]);
    auto* timeUnit = static_cast<QLabel*>(controls_[idc::kVelocityTimeUnit]);
    perUnit->move(velocity_->geometry().right() + kClearance, perUnit->y());
    QStringList perTexts;
    for (int unit : {string_id::kMetrePer, string_id::kFootPer}) perTexts << QString::fromUtf8(LoadString(unit));
    int perWidth = 0;
    for (const QString& t : perTexts) perWidth = std::max(perWidth, perUnit->fontMetrics().horizontalAdvance(t));
    perUnit->resize(perWidth + 1, perUnit->height());
    timeUnit->move(perUnit->geometry().right() + perUnit->fontMetrics().horizontalAdvance(' '), timeUnit->y());
}

QSize CVexlanView::FormSize() { return {DuToPixelsX(kFormWidthDu), DuToPixelsY(kFormHeightDu)}; }

void CVexlanView::CreateControls() {
    int count = 0;
    const ControlTemplate* templates = FormControls(count);
    // Group boxes first, so that they stay beneath the controls they frame.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < count; ++i) {
            const ControlTemplate& t = templates[i];
            if ((t.kind == ControlKind::GroupBox) != (pass == 0)) continue;
            QWidget* w = CreateControl(t);
            w->setObjectName(Q(ControlObjectName(t.id)));
            w->setEnabled(!(t.flags & kDisabled));
            controls_[t.id] = w;
        }
    }
    {
        const ControlTemplate& t = kVelocityCalculatorButton;
        velocityCalculatorButton_ = static_cast<QPushButton*>(CreateControl(t));
        velocityCalculatorButton_->setText(LoadString(string_id::kVelocityCalculatorButton));
        velocityCalculatorButton_->setToolTip(LoadString(string_id::kVelocityCalculatorToolTip));
        velocityCalculatorButton_->setObjectName(Q(ControlObjectName(t.id)));
        velocityCalculatorButton_->setEnabled(false);
        controls_[t.id] = velocityCalculatorButton_;
    }
    lengthGroup_ = new QButtonGroup(this);
    lengthGroup_->addButton(static_cast<QRadioButton*>(controls_[idc::kMetric]), LengthUnit::kMetric);
    lengthGroup_->addButton(static_cast<QRadioButton*>(controls_[idc::kImperial]), LengthUnit::kImperial);
    timeGroup_ = new QButtonGroup(this);
    timeGroup_->addButton(static_cast<QRadioButton*>(controls_[idc::kSeconds]), TimeUnit::kSeconds);
    timeGroup_->addButton(static_cast<QRadioButton*>(controls_[idc::kMilliseconds]), TimeUnit::kMilliseconds);

    graph_ = static_cast<QLabel*>(controls_[idc::kGraph]);
    scaleBar_ = static_cast<QLabel*>(controls_[idc::kScaleBar]);
    key_ = static_cast<QLabel*>(controls_[idc::kKey]);
    sensor1_ = static_cast<QLabel*>(controls_[idc::kSensor1Picture]);
    sensor2_ = static_cast<QLabel*>(controls_[idc::kSensor2Picture]);
    length_ = static_cast<QLineEdit*>(controls_[idc::kLength]);
    diameter_ = static_cast<QLineEdit*>(controls_[idc::kDiameter]);
    velocity_ = static_cast<QLineEdit*>(controls_[idc::kVelocity]);
    segment_ = static_cast<QComboBox*>(controls_[idc::kSegment]);
    material_ = static_cast<QComboBox*>(controls_[idc::kMaterial]);
    slider_ = static_cast<QSlider*>(controls_[idc::kSlider]);
    setStartPoint_ = static_cast<QPushButton*>(controls_[idc::kSetStartPoint]);
    remove_ = static_cast<QPushButton*>(controls_[idc::kRemove]);
    modifyButton_ = static_cast<QPushButton*>(controls_[idc::kModify]);

    auto* left = static_cast<QPushButton*>(controls_[idc::kLeftArrow]);
    auto* right = static_cast<QPushButton*>(controls_[idc::kRightArrow]);
    left->setIcon(ArrowIcon(true));
    right->setIcon(ArrowIcon(false));
    left->setIconSize({20, 20});
    right->setIconSize({20, 20});
    // Tab reaches the graph, where the arrow keys move the cursor; a click moves it without focus.
    graph_->setFocusPolicy(Qt::TabFocus);
    graph_->installEventFilter(this);
}

QWidget* CVexlanView::CreateControl(const ControlTemplate& t) {
    const QRect rect(DuToPixelsX(t.x), DuToPixelsY(t.y), DuToPixelsX(t.width), DuToPixelsY(t.height));
    const QString text = Q(ControlText(t.id));
    QWidget* w = nullptr;
    switch (t.kind) {
    case ControlKind::GroupBox: w = new QGroupBox(text, this); break;
    case ControlKind::Picture: {
        auto* label = new QLabel(this);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setContentsMargins(0, 0, 0, 0);
        if (t.flags & kBordered) {
            label->setFrameShape(QFrame::Box);
            label->setFrameShadow(QFrame::Plain);
            label->setLineWidth(1);
        }
        label->setGeometry(QRect(rect.topLeft(), PictureSize(t.id, t.flags)));
        return label;
    }
    case ControlKind::Text: {
        auto* label = new QLabel(text, this);
        label->setAlignment(TextAlignment(t.flags));
        if (t.flags & (kSunken | kBordered)) {
            label->setFrameShape(QFrame::Panel);
            label->setFrameShadow(QFrame::Sunken);
            label->setLineWidth(1);
        }
        w = label;
        break;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(text, this);
        edit->setReadOnly(t.flags & kReadOnly);
        edit->setAlignment(TextAlignment(t.flags));
        edit->setTextMargins(1, 0, 1, 0);
        // A display is no place to land on: the focus passes it by unless the user clicks in.
        if (t.flags & kReadOnly) edit->setFocusPolicy(Qt::ClickFocus);
        w = edit;
        break;
    }
    case ControlKind::Slider: {
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setTickPosition(QSlider::NoTicks);
        w = slider;
        break;
    }
    case ControlKind::Button:
    case ControlKind::IconButton: w = new QPushButton(text, this); break;
    case ControlKind::DropList: {
        auto* combo = new QComboBox(this);
        combo->setGeometry(rect.x(), rect.y(), rect.width(), kDropListHeight);
        return combo;
    }
    case ControlKind::Radio: w = new QRadioButton(text, this); break;
    }
    w->setGeometry(rect);
    return w;
}

void CVexlanView::ConnectControls() {
    auto after = [this](auto handler) {
        return [this, handler](auto&&...) {
            if (syncing_) return;
            handler();
            Sync();
        };
    };
    connect(static_cast<QRadioButton*>(controls_[idc::kMetric]), &QRadioButton::clicked, this,
            after([this] { logic_.OnMetric(); }));
    connect(static_cast<QRadioButton*>(controls_[idc::kImperial]), &QRadioButton::clicked, this,
            after([this] { logic_.OnImperial(); }));
    connect(static_cast<QRadioButton*>(controls_[idc::kSeconds]), &QRadioButton::clicked, this,
            after([this] { logic_.OnSeconds(); }));
    connect(static_cast<QRadioButton*>(controls_[idc::kMilliseconds]), &QRadioButton::clicked, this,
            after([this] { logic_.OnMilliseconds(); }));
    connect(segment_, &QComboBox::activated, this, [this](int index) {
        if (syncing_) return;
        logic_.OnSegmentChanged(index);
        Sync();
    });
    connect(material_, &QComboBox::activated, this, [this](int index) {
        if (syncing_) return;
        logic_.OnMaterialChanged(index);
        Sync();
    });
    connect(length_, &QLineEdit::editingFinished, this, [this] { ValueBoxDone(ValueBox::Length); });
    connect(diameter_, &QLineEdit::editingFinished, this, [this] { ValueBoxDone(ValueBox::Diameter); });
    connect(velocity_, &QLineEdit::editingFinished, this, [this] { ValueBoxDone(ValueBox::Velocity); });
    connect(setStartPoint_, &QPushButton::clicked, this, after([this] { logic_.OnSetStartPoint(); }));
    connect(remove_, &QPushButton::clicked, this, after([this] { logic_.OnRemove(); }));
    connect(static_cast<QPushButton*>(controls_[idc::kLeftArrow]), &QPushButton::clicked, this,
            after([this] { logic_.OnLeftArrow(); }));
    connect(static_cast<QPushButton*>(controls_[idc::kRightArrow]), &QPushButton::clicked, this,
            after([this] { logic_.OnRightArrow(); }));
    connect(modifyButton_, &QPushButton::clicked, this, [this] {
        if (modify_) modify_();
    });
    connect(velocityCalculatorButton_, &QPushButton::clicked, this, [this] {
        if (velocityCalculator_) velocityCalculator_();
    });
}

void CVexlanView::ValueBoxDone(ValueBox box) {
    if (syncing_) return;
    QLineEdit* edit = box == ValueBox::Length ? length_ : box == ValueBox::Diameter ? diameter_ : velocity_;
    // Cleared before any message box can take the focus away and end the editing once more.
    const bool modified = edit->isModified();
    edit->setModified(false);
    if (!modified) return;
    ValueBoxTexts texts{length_->text().toStdString(), diameter_->text().toStdString(),
                        velocity_->text().toStdString()};
    ValueBox failed = box;
    const bool accepted = logic_.OnValueDone(box, true, texts, &failed);
    Sync();
    if (!accepted) {
        QLineEdit* back = failed == ValueBox::Length ? length_ : failed == ValueBox::Diameter ? diameter_ : velocity_;
        back->setFocus();
        back->selectAll();
    }
}

void CVexlanView::OnInitialUpdate(int storedLengthUnit, int storedTimeUnit) {
    logic_.OnInitialUpdate(storedLengthUnit, storedTimeUnit);
    Sync();
}

void CVexlanView::ResetForNewFile() {
    logic_.ResetForNewFile();
    Sync();
}

void CVexlanView::EnablePipeControls(bool enable) {
    logic_.EnablePipeControls(enable);
    Sync();
}

void CVexlanView::ShowFileInfo() {
    logic_.ShowFileInfo();
    Sync();
}

void CVexlanView::RefreshAll() {
    logic_.RefreshAll();
    Sync();
}

void CVexlanView::OnUpdate(int hint) {
    logic_.OnUpdate(hint);
    Sync();
}

QImage CVexlanView::graphImage() const { return ToImage(logic_.GraphPixels()); }

QWidget* CVexlanView::control(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

void CVexlanView::SetSegmentVelocity(float metresPerSecond) {
    logic_.SetSelectedSegmentVelocity(metresPerSecond);
    Sync();
}

void CVexlanView::MoveCursorTo(int column) {
    logic_.OnMoveCursorTo(column);
    Sync();
}

bool CVexlanView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == graph_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Left || key == Qt::Key_Right) {
            key == Qt::Key_Left ? logic_.OnLeftArrow() : logic_.OnRightArrow();
            Sync();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CVexlanView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint p = event->position().toPoint();
        logic_.OnGraphClick(p.x(), p.y());
        Sync();
    }
    QWidget::mousePressEvent(event);
}

void CVexlanView::Sync() {
    syncing_ = true;
    QWidget* focused = focusWidget();
    const FormControlsState& c = logic_.Controls();
    auto label = [this](int id) { return static_cast<QLabel*>(controls_[id]); };
    auto edit = [this](int id) { return static_cast<QLineEdit*>(controls_[id]); };
    auto upper = [](const std::string& s) { return Q(s).toUpper(); };

    SetTextIfChanged(length_, Q(c.lengthText));
    SetTextIfChanged(diameter_, Q(c.diameterText));
    SetTextIfChanged(velocity_, Q(c.velocityText));
    SetTextIfChanged(label(idc::kLengthUnit), Q(c.lengthUnitText));
    SetTextIfChanged(label(idc::kDiameterUnit), Q(c.diameterUnitText));
    SetTextIfChanged(label(idc::kVelocityUnit), Q(c.velocityUnitText));
    SetTextIfChanged(label(idc::kVelocityTimeUnit), Q(c.velocityTimeUnitText));
    SetTextIfChanged(label(idc::kTimeDelayUnit), Q(c.timeDelayUnitText));
    SetTextIfChanged(edit(idc::kTimeDelay), upper(c.timeDelayText));
    SetTextIfChanged(edit(idc::kLowCut), upper(c.lowCutText));
    SetTextIfChanged(edit(idc::kHighCut), upper(c.highCutText));
    SetTextIfChanged(edit(idc::kAutoFilter), upper(c.autoFilterText));
    SetTextIfChanged(edit(idc::kNotchFilter), upper(c.notchFilterText));
    // A file name keeps its size and gives way in the middle; a long number gets a smaller font.
    ShowFitted(label(idc::kFileName), Q(c.fileNameText), kFontPixels, kFontPixels);
    ShowFitted(label(idc::kDateCreated), Q(c.dateCreatedText), kFontPixels, kFontPixels);
    ShowFitted(label(idc::kDistance1), Q(c.sensor1DistanceText), kFontPixels, 8);
    ShowFitted(label(idc::kDistance2), Q(c.sensor2DistanceText), kFontPixels, 8);
    SetTextIfChanged(label(idc::kWarning1), Q(c.sensor1WarningText));
    SetTextIfChanged(label(idc::kWarning2), Q(c.sensor2WarningText));

    auto checkGroup = [](QButtonGroup* group, int checked) {
        if (checked < 0) {
            // An exclusive group cannot be emptied while exclusive.
            group->setExclusive(false);
            for (QAbstractButton* b : group->buttons()) b->setChecked(false);
            group->setExclusive(true);
        } else if (QAbstractButton* b = group->button(checked)) {
            b->setChecked(true);
        }
    };
    checkGroup(lengthGroup_, c.lengthUnitChecked);
    checkGroup(timeGroup_, c.timeUnitChecked);

    auto fillList = [](QComboBox* combo, const std::vector<std::string>& items, int selection) {
        QStringList wanted;
        for (const std::string& item : items) wanted << Q(item);
        QStringList shown;
        for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
        if (shown != wanted) {
            combo->clear();
            combo->addItems(wanted);
        }
        combo->setCurrentIndex(selection >= 0 && selection < combo->count() ? selection : -1);
    };
    fillList(segment_, c.segmentItems, c.segmentSelection);
    fillList(material_, c.materialItems, c.materialSelection);

    slider_->setRange(c.sliderMinimum, c.sliderMaximum);
    slider_->setValue(c.sliderValue);

    setStartPoint_->setText(Q(c.setStartPointText));
    setStartPoint_->setEnabled(c.setStartPointEnabled);
    remove_->setEnabled(c.removeEnabled);
    modifyButton_->setEnabled(c.modifyEnabled);
    segment_->setEnabled(c.segmentEnabled);
    material_->setEnabled(c.materialEnabled);
    length_->setEnabled(c.lengthEnabled);
    diameter_->setEnabled(c.diameterEnabled);
    velocity_->setEnabled(c.velocityEnabled);
    velocityCalculatorButton_->setEnabled(c.velocityEnabled);
    for (int id : {idc::kMetric, idc::kImperial, idc::kSeconds, idc::kMilliseconds})
        controls_[id]->setEnabled(c.unitRadiosEnabled);

    SyncPictures();
    KeepFocusNear(focused);
    syncing_ = false;
}

void CVexlanView::KeepFocusNear(QWidget* focused) {
    // A button that has just been disabled hands the focus to its partner, not to the next
    // control in the tab order, so that the user stays with the peak suppression.
    if (!focused || focused->isEnabled()) return;
    QWidget* partner = focused == remove_          ? static_cast<QWidget*>(setStartPoint_)
                       : focused == setStartPoint_ ? static_cast<QWidget*>(remove_)
                                                   : nullptr;
    if (partner && partner->isEnabled()) partner->setFocus(Qt::OtherFocusReason);
}

void CVexlanView::SyncPictures() {
    graph_->setPixmap(ToPixmap(logic_.GraphPixels()));
    scaleBar_->setPixmap(ToPixmap(logic_.ScaleBarPixels()));
    key_->setPixmap(ToPixmap(logic_.KeyPixels()));
    const FormControlsState& c = logic_.Controls();
    sensor1_->setPixmap(ToPixmap(DrawSensorPicture(c.sensor1Picture)));
    sensor2_->setPixmap(ToPixmap(DrawSensorPicture(c.sensor2Picture)));
}

}  // namespace vexlan
