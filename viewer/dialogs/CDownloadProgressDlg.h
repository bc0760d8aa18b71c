#pragma once
// The window that shows a download going on: waking the instrument, listing, which file of how
// many, the bytes that have arrived, a retry. It is modal and repainted while the link client
// waits, so its Cancel button is the only input the program takes until the transfer ends.

#include <QDialog>
#include <cstdint>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vexlan {

class CDownloadProgressDlg : public QDialog {
    Q_OBJECT
public:
    // A correlation file is this long; longer files stretch the bar.
    static constexpr uint64_t kExpectedBytes = 20402;

    explicit CDownloadProgressDlg(QWidget* parent = nullptr);

    void BeginFile(const std::string& name, int number, int count);
    void SetBytes(uint64_t bytes);
    // A stage without bytes (waking, listing, retrying) on the lower line.
    void ShowStage(const std::string& text);
    void Finish();
    // Cancel was pressed since the window was last shown. Takes pending input first.
    bool cancelRequested();

    QString fileText() const;
    QString bytesText() const;
    int barValue() const;
    int barMaximum() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Repaint();
    void ShowWithCancelArmed();

    QLabel* file_ = nullptr;
    QLabel* bytes_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool cancelRequested_ = false;
};

}  // namespace vexlan
