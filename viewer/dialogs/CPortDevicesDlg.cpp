#include "CPortDevicesDlg.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <cstdio>

#include "StringTable.h"

namespace vexlan {
namespace {

constexpr int kPortDevicesTitle = 62180;
constexpr int kPortDevicesHeading = 62181;
constexpr int kPortDevicesDefault = 62182;

}  // namespace

std::optional<std::vector<std::string>> RunPortDevicesDialog(QWidget* parent, const std::vector<PortDeviceRow>& rows) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("PortDevicesDialog"));
    dialog.setWindowTitle(LoadString(kPortDevicesTitle));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(LoadString(kPortDevicesHeading), &dialog));
    auto* form = new QFormLayout;
    layout->addLayout(form);
    std::vector<QLineEdit*> edits;
    for (const PortDeviceRow& row : rows) {
        auto* edit = new QLineEdit(QString::fromStdString(row.stored), &dialog);
        edit->setObjectName(QString::fromStdString(row.port));
        char placeholder[512];
        std::snprintf(placeholder, sizeof placeholder, LoadString(kPortDevicesDefault), row.defaultDevice.c_str());
        edit->setPlaceholderText(QString::fromLocal8Bit(placeholder));
        edit->setMinimumWidth(240);
        form->addRow(QString::fromStdString(row.port), edit);
        edits.push_back(edit);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    std::vector<std::string> entered;
    for (QLineEdit* edit : edits) entered.push_back(edit->text().trimmed().toStdString());
    return entered;
}

}  // namespace vexlan
