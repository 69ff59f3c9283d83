#include "ui/PacingText.h"

#include <cstdio>

namespace
{
std::string Format(const char* pszFormat, double dValue)
{
    char sz[64];
    snprintf(sz, sizeof(sz), pszFormat, dValue);
    return sz;
}

std::string Number(DWORD n)
{
    char sz[16];
    snprintf(sz, sizeof(sz), "%lu", static_cast<unsigned long>(n));
    return sz;
}
}

std::string FormatPacingLine(const FramePacingSummary& pacing)
{
    std::string strLine = "Frame pacing: ";
    if (!pacing.bFigure)
    {
        strLine += "too few frames for a figure";
    }
    else
    {
        strLine += Format("%.3f ms", pacing.dTypicalMs) + Format(" (%.2f Hz)", pacing.dTypicalHz);
        if (pacing.nDisplayHz == 0)
            strLine += ", display refresh unknown";
        else if (!pacing.bNotTied)
            strLine += ", display " + Number(pacing.nDisplayHz) + " Hz";
        if (pacing.nLate == 0)
            strLine += ", no late frames";
        else
            strLine += ", " + Number(pacing.nLate) + (pacing.nLate == 1 ? " late frame" : " late frames");
        strLine += Format(", longest %.1f ms", pacing.dLongestMs);
    }
    if (pacing.dLostSeconds > 0)
        strLine += Format(", display lost for %.2f s", pacing.dLostSeconds);
    if (pacing.bFigure && pacing.bNotTied)
        strLine += "; faster than the display's " + Number(pacing.nDisplayHz) + " Hz: not tied to its refresh";
    return strLine;
}
