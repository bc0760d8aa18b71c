#pragma once
// The window that shows a download going on: which file, which of how many, and the bytes that
// have arrived. It is repainted as each block arrives without handing the user's input to the
// program, so no other command can start while the link client waits for the instrument.

#include <QDialog>
#include <cstdint>
#include <string>

class QLabel;
class QProgressBar;

namespace vexlan {

class DownloadProgressDlg : public QDialog {
    Q_OBJECT
public:
    // A correlation file is this long; longer files stretch the bar.
    static constexpr uint64_t kExpectedBytes = 20402;

    explicit DownloadProgressDlg(QWidget* parent = nullptr);

    void BeginFile(const std::string& name, int number, int count);
    void SetBytes(uint64_t bytes);
    void Finish();

    QString fileText() const;
    QString bytesText() const;
    int barValue() const;
    int barMaximum() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Repaint();

    QLabel* file_ = nullptr;
    QLabel* bytes_ = nullptr;
    QProgressBar* bar_ = nullptr;
};

}  // namespace vexlan
