#include "ui/RateText.h"

#include <cstdio>

DWORD ElapsedTicks(DWORD dwTick0, DWORD dwTick1)
{
    return dwTick1 - dwTick0;
}

double FrameRate(DWORD dwFrames, DWORD dwElapsed)
{
    return static_cast<double>(dwFrames) * 1000.0 / static_cast<double>(dwElapsed);
}

std::string FormatRateLine(DWORD dwFrames, DWORD dwElapsed)
{
    if (dwElapsed == 0)
        return "Rendered frames/sec on last run: too short";
    char szLine[256];
    snprintf(szLine, sizeof(szLine), "Rendered frames/sec on last run: %0.2f", FrameRate(dwFrames, dwElapsed));
    return szLine;
}
