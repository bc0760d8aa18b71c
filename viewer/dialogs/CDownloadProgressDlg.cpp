#include "dialogs/CDownloadProgressDlg.h"
#include "res/StringIds.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "res/StringTable.h"

namespace vexlan {

CDownloadProgressDlg::CDownloadProgressDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DownloadProgress"));
    setWindowTitle(LoadResourceText(resource::kDownloadDialog, 0));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    file_ = new QLabel(this);
    file_->setObjectName(QStringLiteral("DownloadFileText"));
    bytes_ = new QLabel(this);
    bytes_->setObjectName(QStringLiteral("DownloadBytesText"));
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("DownloadBar"));
    bar_->setTextVisible(false);
    cancel_ = new QPushButton(LoadResourceText(resource::kDownloadDialog, 2), this);
    cancel_->setObjectName(QStringLiteral("DownloadCancel"));
    connect(cancel_, &QPushButton::clicked, this, [this] {
        cancelRequested_ = true;
        cancel_->setEnabled(false);
    });
    layout->addWidget(file_);
    layout->addWidget(bar_);
    layout->addWidget(bytes_);
    layout->addWidget(cancel_, 0, Qt::AlignRight);
    setFixedSize(360, 140);
}

void CDownloadProgressDlg::ShowStage(const std::string& text) {
    bytes_->setText(QString::fromLocal8Bit(text.c_str()));
    if (!isVisible()) {
        file_->clear();
        bar_->setRange(0, 0);  // moving bar: nothing to count yet
        ShowWithCancelArmed();
    }
    Repaint();
}

// Each showing starts without a Cancel from the one before.
void CDownloadProgressDlg::ShowWithCancelArmed() {
    cancelRequested_ = false;
    cancel_->setEnabled(true);
    show();
}

bool CDownloadProgressDlg::cancelRequested() {
    Repaint();
    return cancelRequested_;
}

void CDownloadProgressDlg::BeginFile(const std::string& name, int number, int count) {
    file_->setText(QString::fromLocal8Bit(count > 1
                                              ? FormatString(string_id::kDownloadingOneOf, name.c_str(), number, count)
                                              : FormatString(string_id::kDownloading, name.c_str())));
    bar_->setRange(0, static_cast<int>(kExpectedBytes));
    SetBytes(0);
    if (!isVisible()) ShowWithCancelArmed();
    Repaint();
}

void CDownloadProgressDlg::SetBytes(uint64_t bytes) {
    if (bar_->maximum() == 0) bar_->setRange(0, static_cast<int>(kExpectedBytes));
    const uint64_t shown = std::min<uint64_t>(bytes, 0x7FFFFFFF);
    if (shown > static_cast<uint64_t>(bar_->maximum())) bar_->setMaximum(static_cast<int>(shown));
    bar_->setValue(static_cast<int>(shown));
    const std::string text = FormatString(string_id::kBytesReceived, static_cast<unsigned long long>(bytes));
    bytes_->setText(QString::fromLatin1(text));
    Repaint();
}

void CDownloadProgressDlg::Finish() { hide(); }

QString CDownloadProgressDlg::fileText() const { return file_->text(); }
QString CDownloadProgressDlg::bytesText() const { return bytes_->text(); }
int CDownloadProgressDlg::barValue() const { return bar_->value(); }
int CDownloadProgressDlg::barMaximum() const { return bar_->maximum(); }

// Paints what changed and takes a click on Cancel; the window is modal, so no other command can
// start. The link timer's descriptor stays queued: the link client drives the link itself.
void CDownloadProgressDlg::Repaint() {
    if (!isVisible()) return;
    QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
}

// Escape is Cancel; the close box does nothing, as the transfer must end through the session.
void CDownloadProgressDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (cancel_->isEnabled()) cancel_->click();
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CDownloadProgressDlg::closeEvent(QCloseEvent* event) { event->ignore(); }

}  // namespace vexlan
