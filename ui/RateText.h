// The rate line that the dialog shows after a run.
#ifndef QUILLABY_UI_RATETEXT_H
#define QUILLABY_UI_RATETEXT_H

#include <windows.h>
#include <string>

// Milliseconds between two tick counts, correct across the counter's wrap.
DWORD ElapsedTicks(DWORD dwTick0, DWORD dwTick1);

// Frames per second; the multiplication comes first so that no precision is
// lost for short runs.
double FrameRate(DWORD dwFrames, DWORD dwElapsed);

// "Rendered frames/sec on last run: 60.00", formatted the C way. A run that
// ended within one tick has no finite rate and says so instead.
std::string FormatRateLine(DWORD dwFrames, DWORD dwElapsed);

#endif
