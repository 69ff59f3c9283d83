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

// "1 frame", "2 frames".
std::string Count(DWORD n, const char* pszOne, const char* pszMore)
{
    return Number(n) + " " + (n == 1 ? pszOne : pszMore);
}

std::string NotTied(const PacingSegment& segment)
{
    return "faster than the display's " + Number(segment.nDisplayHz) + " Hz: not tied to its refresh";
}

// One segment's clauses, without separators.
std::vector<std::string> SegmentClauses(const PacingSegment& segment)
{
    std::vector<std::string> clauses;
    if (!segment.bFigure)
    {
        clauses.push_back(segment.nDisplayHz != 0 ? "display " + Number(segment.nDisplayHz) + " Hz"
                                                  : "display refresh unknown");
        clauses.push_back("too few frames for a figure");
        return clauses;
    }
    if (segment.refresh != PacingRefresh::None)
    {
        if (segment.refresh == PacingRefresh::Given)
            clauses.push_back("display " + Number(segment.nDisplayHz) + " Hz");
        else if (segment.refresh == PacingRefresh::Measured)
            clauses.push_back(Format("display %.2f Hz", segment.dRefreshHz));
        else
        {
            clauses.push_back("display refresh unknown");
            clauses.push_back(Format("about %.2f Hz by the frames", segment.dRefreshHz));
        }
        if (segment.nSteady == 1)
        {
            clauses.push_back("no late frames");
        }
        else if (segment.nSteady >= 2)
        {
            // Even motion at a lower rate, not a stutter.
            clauses.push_back("every frame " + Number(segment.nSteady) + " refreshes" +
                              Format(" (%.2f Hz)", segment.dRefreshHz / segment.nSteady));
        }
        else
        {
            if (segment.nHeld != 0)
                clauses.push_back(Number(segment.nHeld) + " of " + Count(segment.nIntervals, "frame", "frames") +
                                  " held for 2+ refreshes (" + Count(segment.nRepeated, "refresh", "refreshes") +
                                  " repeated)");
            else
                clauses.push_back("no frame held for 2+ refreshes");
            if (segment.nEarly != 0)
                clauses.push_back(Count(segment.nEarly, "frame", "frames") +
                                  " less than half a refresh after the one before");
        }
        return clauses;
    }
    clauses.push_back(Format("%.3f ms", segment.dTypicalMs) + Format(" (%.2f Hz)", segment.dTypicalHz));
    if (segment.nDisplayHz == 0)
        clauses.push_back("display refresh unknown");
    if (segment.nLate == 0 && segment.nEarly == 0)
    {
        clauses.push_back("no late frames");
        return clauses;
    }
    clauses.push_back(segment.nLate != 0 ? Count(segment.nLate, "late frame", "late frames") : "no frame late");
    if (segment.nEarly != 0)
        clauses.push_back(Count(segment.nEarly, "frame", "frames") +
                          " less than half the typical time after the one before");
    return clauses;
}
}

std::vector<std::string> PacingClauses(const FramePacingSummary& pacing)
{
    bool bFigure = false;
    for (unsigned i = 0; i < pacing.nSegments; ++i)
        bFigure = bFigure || pacing.aSegments[i].bFigure;

    std::vector<std::string> clauses;
    if (!bFigure)
    {
        clauses.push_back("Frame pacing: too few frames for a figure");
    }
    else if (pacing.nSegments == 1)
    {
        for (const std::string& clause : SegmentClauses(pacing.aSegments[0]))
            clauses.push_back(clauses.empty() ? "Frame pacing: " + clause : ", " + clause);
    }
    else
    {
        // A refresh that changed mid-run: each part against its own.
        for (unsigned i = 0; i < pacing.nSegments; ++i)
        {
            const PacingSegment& segment = pacing.aSegments[i];
            std::vector<std::string> part = SegmentClauses(segment);
            if (segment.bFigure && segment.bNotTied)
                part.push_back(NotTied(segment));
            for (size_t j = 0; j < part.size(); ++j)
            {
                if (i == 0 && j == 0)
                    clauses.push_back("Frame pacing: " + part[j]);
                else
                    clauses.push_back(j == 0 ? "; then " + part[j] : ", " + part[j]);
            }
        }
    }
    if (bFigure)
        clauses.push_back(Format(pacing.nSegments == 1 ? ", longest %.1f ms" : "; longest %.1f ms", pacing.dLongestMs));
    if (pacing.dLostSeconds > 0)
        clauses.push_back(Format(", display lost for %.2f s", pacing.dLostSeconds));
    if (pacing.nSegments == 1 && pacing.aSegments[0].bFigure && pacing.aSegments[0].bNotTied)
        clauses.push_back("; " + NotTied(pacing.aSegments[0]));
    return clauses;
}

std::string FormatPacingLine(const FramePacingSummary& pacing)
{
    std::string strLine;
    for (const std::string& clause : PacingClauses(pacing))
        strLine += clause;
    return strLine;
}

std::string BreakBetweenClauses(const std::vector<std::string>& clauses,
                                const std::function<bool(const std::string&)>& fits)
{
    std::string strText;
    std::string strLine;
    for (const std::string& clause : clauses)
    {
        if (strLine.empty() || fits(strLine + clause))
        {
            strLine += clause;
            continue;
        }
        // The separator's mark ends the line; its space goes.
        strText += strLine + clause.substr(0, 1) + "\r\n";
        strLine = clause.substr(2);
    }
    return strText + strLine;
}
