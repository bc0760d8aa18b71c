#pragma once
// An output file that appears under its final name only once it has been written in full: the
// writer fills a temporary file beside it, and Commit renames that over the final name. A writer
// that fails, or never commits, leaves nothing behind.

#include <string>

namespace vexlan {

class PendingOutput {
public:
    explicit PendingOutput(std::string finalPath);
    ~PendingOutput();
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    const std::string& temporaryPath() const { return temporaryPath_; }
    const std::string& finalPath() const { return finalPath_; }
    // False when the temporary file is missing or empty, or the rename failed.
    bool Commit();

private:
    std::string finalPath_;
    std::string temporaryPath_;
    bool committed_ = false;
};

}  // namespace vexlan
