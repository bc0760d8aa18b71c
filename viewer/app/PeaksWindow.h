#pragma once
// The Peaks window: the analysis's peak list, best first. Choosing a row moves the graph's
// cursor to that peak. It stays open beside the main window and follows every recomputation.

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QListWidget;

namespace vexlan {

class PeaksWindow : public QDialog {
    Q_OBJECT
public:
    explicit PeaksWindow(QWidget* parent = nullptr);

    void SetRows(const std::vector<std::string>& rows);
    // Called with the row's index when the user chooses a peak.
    void SetChooseHandler(std::function<void(int)> handler) { choose_ = std::move(handler); }
    void SelectRow(int row);

private:
    QListWidget* list_ = nullptr;
    std::function<void(int)> choose_;
    bool filling_ = false;
};

}  // namespace vexlan
