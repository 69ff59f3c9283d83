// The judgement of a run's pacing record: each interval between two frames
// shown laid against the display's refresh, and a verdict for each stretch of
// one refresh. Worked out once, after the run.
#ifndef QUILLABY_PACING_PACINGJUDGEMENT_H
#define QUILLABY_PACING_PACINGJUDGEMENT_H

#include <vector>

#include "pacing/PacingRecord.h"
#include "pacing/PacingSummary.h"

// pMarks, where given, gets a PacingMark for each place of the record (0 for
// a mark between intervals, and for intervals of no note).
PacingSummary JudgePacing(const CPacingRecord& record, std::vector<BYTE>* pMarks = nullptr);

#endif
