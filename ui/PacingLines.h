// The pacing line as the dialog shows it: broken between clauses where the
// control would otherwise wrap inside one, measured in the control's font.
#ifndef QUILLABY_UI_PACINGLINES_H
#define QUILLABY_UI_PACINGLINES_H

#include <windows.h>

#include <string>

#include "pacing/PacingSummary.h"

// For the control that shows the line, at its width and in its font.
std::string PacingLinesFor(HWND hControl, const PacingSummary& pacing);
// For lines nWidth pixels wide in the font selected into hDC.
std::string PacingLinesIn(HDC hDC, LONG nWidth, const PacingSummary& pacing);

#endif
