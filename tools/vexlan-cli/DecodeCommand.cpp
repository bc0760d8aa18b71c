// vexlan-cli decode FILE: every compressed block's decoded values as JSON.

#include <cstdint>
#include <string>
#include <vector>

#include "BlockDecoder.h"
#include "CCorrelationEngine.h"
#include "CliSupport.h"
#include "FixedPointFft.h"

namespace vexlan::cli {

namespace {

Json DecodedBlock(const std::uint8_t* block, int maxCount)
{
    std::vector<std::int16_t> values(static_cast<std::size_t>(maxCount));
    DecodeBlock(maxCount, block, values.data());
    return Json(values);
}

class DecodeCommand : public Subcommand {
public:
    void Configure(CLI::App& app) override
    {
        app.add_option("FILE", path_, "Correlation file (.ked)")->required();
    }

    int Run(CommandStreams& io) override
    {
        CorrelationRecord r;
        if (!ReadKedFile(path_, r, io))
            return kExitFailure;
        // The sizes the recomputation decodes them with.
        Json j;
        j["spectrum1Block"] = DecodedBlock(r.spectrum1Block, kSpectrumPoints);
        j["spectrum2Block"] = DecodedBlock(r.spectrum2Block, kSpectrumPoints);
        Json blocks = Json::array();
        for (const auto& block : r.correlationBlocks)
            blocks.push_back(DecodedBlock(block, fft::kMaxRealPoints));
        j["correlationBlocks"] = blocks;
        PrintJson(io, j);
        return kExitOk;
    }

private:
    std::string path_;
};

}  // namespace

void RegisterDecode(Dispatcher& dispatcher)
{
    AddSubcommand<DecodeCommand>(dispatcher, "decode", "Print every compressed block's decoded values as JSON");
}

}  // namespace vexlan::cli
