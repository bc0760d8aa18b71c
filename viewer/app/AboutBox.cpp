#include "app/AboutBox.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "view/QtPixels.h"
#include "view/SensorArt.h"
#include "res/StringTable.h"

namespace vexlan {
namespace {

const char* AboutText(int item) { return LoadResourceText(resource::kAboutDialog, item); }

}  // namespace

QDialog* CreateAboutBox(QWidget* parent) {
    auto* box = new QDialog(parent);
    box->setObjectName("AboutBox");
    box->setWindowTitle(AboutText(about::kCaption));
    auto* picture = new QLabel(box);
    picture->setPixmap(ToPixmap(DrawSensorPicture(SensorKind::Handset)));
    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(AboutText(about::kVersion), box));
    texts->addWidget(new QLabel(AboutText(about::kCopyright), box));
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
