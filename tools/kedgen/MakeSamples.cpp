// kedgen-samples MANIFEST DIRECTORY: regenerates every sample of the list into the directory.
#include <iostream>
#include <string>
#include <vector>

#include "testsupport/generator/SampleManifest.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: kedgen-samples MANIFEST DIRECTORY\n";
        return 2;
    }
    std::vector<vexlan::kedgen::SampleEntry> entries;
    std::string error;
    if (!vexlan::kedgen::ReadSampleManifest(argv[1], entries, error)) {
        std::cerr << "kedgen-samples: " << error << '\n';
        return 1;
    }
    for (const auto& entry : entries) {
        if (const int code = vexlan::kedgen::GenerateSample(entry, argv[2], std::cerr); code != 0) {
            std::cerr << "kedgen-samples: " << argv[1] << ":" << entry.line << ": " << entry.file << " failed\n";
            return 1;
        }
        std::cout << entry.file << '\n';
    }
    return 0;
}
