// The plain-text report of a run that Copy puts on the clipboard, for a
// review or a bug report: what ran where, with which settings, and what the
// run's lines and counts said.
#ifndef QUILLABY_UI_RUNREPORT_H
#define QUILLABY_UI_RUNREPORT_H

#include <windows.h>

#include <string>

#include "pacing/PacingSummary.h"

struct RunFacts
{
    SYSTEMTIME when; // the run's end, local time
    std::wstring strDevice;
    std::wstring strDriver;
    RECT rcMonitor;
    // The display mode as the run ended; 0 where the system gave none.
    DWORD nWidth, nHeight, nBits;
    // The settings as the run took them.
    DWORD nMultiplier, nDivider, nBarWidth;
    COLORREF crBar, crBackground;
    DWORD dwElapsedMs; // the time the rate line divides by
    DWORD dwFrames;
    std::string strRateLine;
    std::string strPacingLine; // on one line
    PacingSummary pacing;
    std::wstring strCoverage; // empty where the picture covered the screen
};

// Lines ended by CR LF, as the clipboard's text has them.
std::wstring RunReportText(const RunFacts& facts);

#endif
