// vexlan-cli decode FILE: every compressed block's decoded values as JSON.

#include <cstdint>
#include <vector>

#include "correlation/BlockDecoder.h"
#include "correlation/CCorrelationEngine.h"
#include "tools/vexlan-cli/CliSupport.h"
#include "correlation/FixedPointFft.h"

namespace vexlan::cli {

namespace {

Json DecodedBlock(const std::uint8_t* block, int maxCount) {
    std::vector<std::int16_t> values(static_cast<std::size_t>(maxCount));
    DecodeBlock(maxCount, block, values.data());
    return Json(values);
}

class DecodeCommand : public RecordJsonCommand {
protected:
    Json ToJson(const CorrelationRecord& r) const override {
        // The sizes the recomputation decodes them with.
        Json j;
        j["spectrum1Block"] = DecodedBlock(r.spectrum1Block, kSpectrumPoints);
        j["spectrum2Block"] = DecodedBlock(r.spectrum2Block, kSpectrumPoints);
        Json blocks = Json::array();
        for (const auto& block : r.correlationBlocks) blocks.push_back(DecodedBlock(block, fft::kMaxRealPoints));
        j["correlationBlocks"] = blocks;
        return j;
    }
};

}  // namespace

void RegisterDecode(Dispatcher& dispatcher) {
    AddSubcommand<DecodeCommand>(dispatcher, "decode", "Print every compressed block's decoded values as JSON");
}

}  // namespace vexlan::cli
