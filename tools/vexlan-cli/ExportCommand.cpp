// vexlan-cli export FILE... [--pdf OUT.pdf] [--png OUT.png] [--units …] [--time …] [--cursor …]:
// the printed page as a PDF and the correlation graph as a picture. With several files, OUT names
// a folder and each output takes the name of its file.

#include <QGuiApplication>
#include <QImage>
#include <map>
#include <memory>
#include <ostream>
#include <sys/stat.h>

#include "tools/vexlan-cli/CliSupport.h"
#include "res/StringIds.h"
#include "view/print/PagePainter.h"
#include "raster/RasterImage.h"
#include "view/print/PageLayout.h"
#include "view/print/ReportFromView.h"
#include "tools/vexlan-cli/ReportInput.h"
#include "storage/SafeFileWriter.h"
#include "res/StringTable.h"

namespace vexlan::cli {

namespace {

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string Stem(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// Painting text needs a GUI application; without a display it paints off-screen.
void EnsureGuiApplication() {
    if (QCoreApplication::instance()) return;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vexlan-cli";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

class ExportCommand : public Subcommand {
public:
    void Configure(CLI::App& app) override {
        options_.Configure(app);
        app.add_option("--pdf", pdf_, "Write the printed page (one landscape page) to this PDF file");
        app.add_option("--png", png_, "Write the correlation graph picture to this PNG file");
    }

    int Run(CommandStreams& io) override {
        if (pdf_.empty() && png_.empty()) {
            io.err << "vexlan-cli export: give --pdf OUT.pdf, --png OUT.png or both\n";
            return kExitUsage;
        }
        const bool batch = options_.files.size() > 1;
        for (const std::string* out : {&pdf_, &png_})
            if (batch && !out->empty() && !IsDirectory(*out)) {
                io.err << "vexlan-cli export: with several files, " << *out << " must be an existing folder\n";
                return kExitUsage;
            }
        if (batch && !OutputNamesDiffer(io)) return kExitUsage;
        EnsureGuiApplication();
        bool writeFailed = false;
        const bool allLoaded =
            ForEachLoadedReport(options_, io, [&](const std::string& path, const LoadedReport& report) {
                if (!pdf_.empty()) {
                    const std::string target = OutputName(pdf_, path, ".pdf");
                    int errorId = 0;
                    if (!WritePagePdf(target, BuildPage(report.values, options_.lengthUnit(), options_.timeUnit()),
                                      errorId))
                        writeFailed = Report(io, target, errorId);
                }
                if (!png_.empty()) {
                    const std::string target = OutputName(png_, path, ".png");
                    int errorId = 0;
                    if (!WriteImageFile(target, ToImage(GraphPicture(report.values, report.totalTravelTime)), errorId))
                        writeFailed = Report(io, target, errorId);
                }
            });
        return allLoaded && !writeFailed ? kExitOk : kExitFailure;
    }

private:
    static std::string OutputName(const std::string& given, const std::string& input, const char* extension) {
        if (!IsDirectory(given)) return given;
        return given + (given.back() == '/' ? "" : "/") + Stem(input) + extension;
    }
    // Two inputs of the same name would be written to one output, the first lost: refuse before
    // writing anything.
    bool OutputNamesDiffer(CommandStreams& io) const {
        std::map<std::string, std::string> inputOf;
        for (const std::string& file : options_.files) {
            const std::string name = OutputName(pdf_.empty() ? png_ : pdf_, file, pdf_.empty() ? ".png" : ".pdf");
            const auto [it, added] = inputOf.emplace(name, file);
            if (!added) {
                io.err << it->second << ", " << file << " -> " << name << ": "
                       << LoadString(string_id::kMsgSameOutputName) << '\n';
                return false;
            }
        }
        return true;
    }
    static bool Report(CommandStreams& io, const std::string& target, int errorId) {
        if (errorId == string_id::kMsgOutputReadOnly) errorId = string_id::kMsgOutputReadOnlyKept;  // nobody to ask
        io.err << target << ": " << LoadString(errorId) << '\n';
        return true;
    }

    ReportOptions options_;
    std::string pdf_;
    std::string png_;
};

}  // namespace

void RegisterExport(Dispatcher& dispatcher) {
    AddSubcommand<ExportCommand>(dispatcher, "export",
                                 "Write the printed page as PDF and the correlation graph as PNG, per file");
}

}  // namespace vexlan::cli
