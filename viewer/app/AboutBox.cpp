#include "AboutBox.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "SensorArt.h"
#include "QtPixels.h"

namespace vexlan {
namespace {

constexpr const char* kTitle = "About Vexlan";
constexpr const char* kVersion = "Vexlan Version 1.0";
constexpr const char* kCopyright = "Copyright (C) Norvane Instruments";

}  // namespace

QDialog* CreateAboutBox(QWidget* parent) {
    auto* box = new QDialog(parent);
    box->setObjectName("AboutBox");
    box->setWindowTitle(kTitle);
    auto* picture = new QLabel(box);
    picture->setPixmap(ToPixmap(DrawSensorPicture(SensorKind::Handset)));
    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(kVersion, box));
    texts->addWidget(new QLabel(kCopyright, box));
    auto* row = new QHBoxLayout;
    row->addWidget(picture);
    row->addLayout(texts, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, box, &QDialog::accept);
    auto* layout = new QVBoxLayout(box);
    layout->addLayout(row);
    layout->addWidget(buttons);
    box->setFixedSize(box->sizeHint());
    return box;
}

}  // namespace vexlan
