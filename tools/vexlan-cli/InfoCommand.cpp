// vexlan-cli info FILE: the record's fields, except the compressed blocks, as JSON.

#include "correlation/CCorrelationFile.h"
#include "tools/vexlan-cli/CliSupport.h"

namespace vexlan::cli {

namespace {

Json SegmentJson(const PipeSegment& s) {
    Json j;
    j["material"] = s.material;
    j["length"] = JsonFloat(s.length);
    j["diameter"] = JsonFloat(s.diameter);
    j["velocity"] = JsonFloat(s.velocity);
    j["inUse"] = s.inUse;
    return j;
}

class InfoCommand : public RecordJsonCommand {
protected:
    Json ToJson(const CorrelationRecord& r) const override {
        Json j;
        j["createdDate"] = RecordText(r.createdDate);
        j["createdTime"] = RecordText(r.createdTime);
        j["title"] = RecordText(r.title);
        j["comment1"] = RecordText(r.comment1);
        j["comment2"] = RecordText(r.comment2);
        j["comment3"] = RecordText(r.comment3);
        j["userReference"] = RecordText(r.userReference);
        Json segments = Json::array();
        for (const PipeSegment& s : r.segments) segments.push_back(SegmentJson(s));
        j["segments"] = segments;
        const FilterSettings& f = r.filter;
        j["lowCutoff"] = JsonFloat(f.lowCutoff);
        j["highCutoff"] = JsonFloat(f.highCutoff);
        Json notches = Json::array();
        for (const NotchFilter& n : f.notches)
            notches.push_back(Json{{"notchStart", JsonFloat(n.notchStart)}, {"notchEnd", JsonFloat(n.notchEnd)}});
        j["notches"] = notches;
        j["filterSpare1"] = JsonFloat(f.filterSpare1);
        j["filterSpare2"] = JsonFloat(f.filterSpare2);
        j["autoFilter"] = f.autoFilter;
        j["sampleCount"] = r.sampleCount;
        j["maxSideBlocks"] = r.maxSideBlocks;
        j["zeroLagIndex"] = r.zeroLagIndex;
        j["blockCount"] = r.blockCount;
        j["sensorPair"] = r.sensorPair;
        j["sideBlocks"] = r.sideBlocks;
        j["sampleRate"] = JsonFloat(r.sampleRate);
        // A file cut short still reads; the rest of its record is zeros.
        j["recordComplete"] = fileBytes() == kFileSize;
        j["fileBytes"] = fileBytes();
        return j;
    }
};

}  // namespace

void RegisterInfo(Dispatcher& dispatcher) {
    AddSubcommand<InfoCommand>(dispatcher, "info", "Print the record's fields (except the compressed blocks) as JSON");
}

}  // namespace vexlan::cli
