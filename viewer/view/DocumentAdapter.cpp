#include "DocumentAdapter.h"

namespace vexlan {

static_assert(kGraphColumns == kGraphWidth, "the graph shows one trace value per pixel column");

SegmentValues DocumentAdapter::GetSegment(int index) const {
    DocSegment s = doc_.GetSegment(index);
    return {s.length, s.velocity, s.diameter, s.material};
}

FilterSummary DocumentAdapter::GetFilterSummary() const {
    DocFilterSummary f = doc_.GetFilterSummary();
    return {f.lowCutoff, f.highCutoff, f.autoFilter};
}

FileTexts DocumentAdapter::GetFileTexts() const {
    DocFileTexts t = doc_.GetFileTexts();
    return {t.fileName, t.title, t.createdDate};
}

}  // namespace vexlan
