#include "ui/RunReport.h"

#include <cstdarg>
#include <cstdio>

#include "display/DeviceList.h"
#include "version.h"

namespace
{
std::wstring Format(const wchar_t* pszFormat, ...)
{
    wchar_t sz[512];
    va_list args;
    va_start(args, pszFormat);
    vswprintf(sz, 512, pszFormat, args);
    va_end(args);
    return sz;
}

std::wstring Colour(COLORREF cr)
{
    return Format(L"%u, %u, %u", GetRValue(cr), GetGValue(cr), GetBValue(cr));
}

std::wstring Given(const PacingSegment& segment)
{
    return segment.nGivenHz != 0 ? Format(L"%lu Hz", static_cast<unsigned long>(segment.nGivenHz)) : L"none";
}

// The refresh of one part of the run: what DirectDraw gave, what the frames
// showed and how sure that is.
std::wstring RefreshLine(const PacingSegment& segment)
{
    if (segment.bMixed)
        return L"several refreshes in turn";
    std::wstring str = L"DirectDraw gave " + Given(segment);
    switch (segment.verdict)
    {
    case PacingVerdict::Tied:
        str += Format(L"; measured %.3f Hz, within %.3f Hz, from %lu intervals scattered by %.3f ms about its grid",
                      segment.dRefreshHz, segment.dRefreshErrorHz, static_cast<unsigned long>(segment.nIntervals),
                      segment.dSpreadMs);
        break;
    case PacingVerdict::NotTied:
        str += Format(L"; the frames kept their own time, every %.3f ms", segment.dTypicalMs);
        break;
    case PacingVerdict::RefreshUnknown:
        str += Format(L"; none measured, the frames came every %.3f ms", segment.dTypicalMs);
        break;
    case PacingVerdict::TooFewFrames:
        str += L"; too few frames to measure one";
        break;
    }
    return str;
}

std::wstring ByRefreshes(const PacingSegment& segment)
{
    if (segment.verdict != PacingVerdict::Tied)
        return L"not counted in refreshes";
    const DWORD* n = segment.anByRefreshes;
    return (segment.bAtLeast ? std::wstring(L"about ") : std::wstring())
        + Format(L"0 (early) %lu, 1 %lu, 2 %lu, 3 %lu, 4 or more %lu", static_cast<unsigned long>(n[0]), static_cast<unsigned long>(n[1]), static_cast<unsigned long>(n[2]),
                  static_cast<unsigned long>(n[3]), static_cast<unsigned long>(n[4]));
}
}

std::wstring RunReportText(const RunFacts& f)
{
    const wchar_t kEnd[] = L"\r\n";
    const SYSTEMTIME& t = f.when;
    std::wstring str = L"Quillaby " + WidenText(QUILLABY_VERSION_TEXT)
        + Format(L", run of %04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond)
        + kEnd;
    str += L"Device: " + f.strDevice + L" (driver " + f.strDriver + L")" + kEnd;
    str += Format(L"Monitor: (%ld, %ld)-(%ld, %ld)", f.rcMonitor.left, f.rcMonitor.top, f.rcMonitor.right,
                  f.rcMonitor.bottom)
        + kEnd;
    const std::wstring strMode = f.nWidth != 0 ? Format(L"%lu x %lu, %lu bits per pixel",
                                                        static_cast<unsigned long>(f.nWidth),
                                                        static_cast<unsigned long>(f.nHeight),
                                                        static_cast<unsigned long>(f.nBits))
                                               : std::wstring(L"not known");
    str += L"Display mode: " + strMode + kEnd;
    for (unsigned i = 0; i < f.pacing.nSegments; ++i)
    {
        const std::wstring strPart = f.pacing.nSegments == 1 ? L"" : Format(L" (part %u)", i + 1);
        str += L"Refresh" + strPart + L": " + RefreshLine(f.pacing.aSegments[i]) + kEnd;
    }
    const std::wstring strSpeed = f.nMultiplier != 0
        ? Format(f.nMultiplier == 1 ? L"%lu pixel a frame" : L"%lu pixels a frame",
                 static_cast<unsigned long>(f.nMultiplier))
        : Format(L"1 pixel every %lu frames", static_cast<unsigned long>(f.nDivider));
    str += L"Settings: bar speed " + strSpeed + Format(L", bar %lu pixels wide", static_cast<unsigned long>(f.nBarWidth))
        + L", bar colour " + Colour(f.crBar) + L", background " + Colour(f.crBackground) + kEnd;
    str += Format(L"Run: %.3f s, %lu frames shown", f.dwElapsedMs / 1000.0, static_cast<unsigned long>(f.dwFrames))
        + kEnd;
    str += WidenText(f.strRateLine.c_str()) + kEnd;
    str += WidenText(f.strPacingLine.c_str()) + kEnd;
    for (unsigned i = 0; i < f.pacing.nSegments; ++i)
    {
        const std::wstring strPart = f.pacing.nSegments == 1 ? L"" : Format(L" (part %u)", i + 1);
        str += L"Frames by the refreshes they stayed" + strPart + L": " + ByRefreshes(f.pacing.aSegments[i]) + kEnd;
    }
    str += Format(L"Longest interval: %.1f ms", f.pacing.dLongestMs) + kEnd;
    str += Format(L"Display lost: %.2f s", f.pacing.dLostSeconds) + kEnd;
    str += L"Coverage: " + (f.strCoverage.empty() ? std::wstring(L"the picture covered the whole screen") : f.strCoverage)
        + kEnd;
    return str;
}
