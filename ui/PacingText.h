// The pacing line that the dialog shows under the rate line after a run.
#ifndef QUILLABY_UI_PACINGTEXT_H
#define QUILLABY_UI_PACINGTEXT_H

#include <string>

#include "render/FramePacing.h"

// "Frame pacing: 16.683 ms (59.94 Hz), display 60 Hz, 2 late frames, longest
// 50.1 ms", formatted the C way; a run with too few frames says so.
std::string FormatPacingLine(const FramePacingSummary& pacing);

#endif
