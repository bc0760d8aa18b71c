#include "app/PeaksWindow.h"
#include "res/StringIds.h"

#include <QListWidget>
#include <QVBoxLayout>

#include "res/StringTable.h"

namespace vexlan {

PeaksWindow::PeaksWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("PeaksWindow");
    setWindowTitle(LoadString(string_id::kPeaksWindowTitle));
    setModal(false);
    list_ = new QListWidget(this);
    list_->setObjectName("PeakList");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    resize(680, 160);  // room for each row's leak interval
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!filling_ && row >= 0 && choose_) choose_(row);
    });
}

void PeaksWindow::SetRows(const std::vector<std::string>& rows) {
    filling_ = true;
    list_->clear();
    for (const std::string& row : rows) list_->addItem(QString::fromStdString(row));
    filling_ = false;
}

void PeaksWindow::SelectRow(int row) {
    filling_ = true;
    list_->setCurrentRow(row);
    filling_ = false;
}

}  // namespace vexlan
