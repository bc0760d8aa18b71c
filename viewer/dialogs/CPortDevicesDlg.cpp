#include "dialogs/CPortDevicesDlg.h"
#include "res/StringIds.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "res/StringTable.h"

namespace vexlan {
namespace {}  // namespace

std::optional<std::vector<std::string>> RunPortDevicesDialog(QWidget* parent, const std::vector<PortDeviceRow>& rows) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("PortDevicesDialog"));
    dialog.setWindowTitle(LoadString(string_id::kPortDevicesTitle));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(LoadString(string_id::kPortDevicesHeading), &dialog));
    auto* form = new QFormLayout;
    layout->addLayout(form);
    std::vector<QLineEdit*> edits;
    for (const PortDeviceRow& row : rows) {
        auto* edit = new QLineEdit(QString::fromStdString(row.stored), &dialog);
        edit->setObjectName(QString::fromStdString(row.port));
        const std::string placeholder = FormatString(string_id::kPortDevicesDefault, row.defaultDevice.c_str());
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
