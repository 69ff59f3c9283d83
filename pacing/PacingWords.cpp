#include "pacing/PacingWords.h"

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

// A refresh to as many decimals as the frames support.
std::string Hz(double dHz, int nDecimals)
{
    char sz[64];
    snprintf(sz, sizeof(sz), "%.*f Hz", nDecimals, dHz);
    return sz;
}

// Ten seconds and more in seconds: a run stopped for an hour still fits.
std::string Duration(double dMs)
{
    return dMs < 10000 ? Format("%.1f ms", dMs) : Format("%.1f s", dMs / 1000);
}

// A run whose refresh changed says less of each part, so that the whole
// line still fits the dialog.
struct Words
{
    bool bShort;
    const char* Pick(const char* pszLong, const char* pszShort) const { return bShort ? pszShort : pszLong; }
};

// What the segment's refresh is, or why there is none to count against.
void RefreshClauses(const PacingSegment& segment, Words words, std::vector<std::string>& clauses)
{
    const std::string strDisplay = words.Pick("display ", "");
    if (segment.bMixed)
        clauses.push_back("several refreshes");
    else if (segment.nGivenHz == 0)
        clauses.push_back(words.Pick("display refresh unknown", "refresh unknown"));
    else if (!segment.bGivenFits && words.bShort)
    {
        // Counted against a refresh of their own, the frames say it below.
        if (segment.verdict != PacingVerdict::Tied)
            clauses.push_back(Number(segment.nGivenHz) + " Hz given, not fitting");
    }
    else if (!segment.bGivenFits)
        clauses.push_back("DirectDraw gave " + Number(segment.nGivenHz) + " Hz, which the frames don't fit");
    else if (segment.verdict == PacingVerdict::Tied)
        clauses.push_back(strDisplay + Hz(segment.dRefreshHz, segment.nDecimals));
    else
        clauses.push_back(strDisplay + Number(segment.nGivenHz) + " Hz");
    if (segment.verdict == PacingVerdict::Tied && !segment.bGivenFits)
        clauses.push_back("about " + Hz(segment.dRefreshHz, segment.nDecimals) + " by the frames");
}

void TiedClauses(const PacingSegment& segment, Words words, std::vector<std::string>& clauses)
{
    if (segment.nSteady == 1)
    {
        clauses.push_back("no late frames");
        return;
    }
    if (segment.nSteady >= 2)
    {
        // Even motion at a lower rate, not a stutter.
        clauses.push_back("every frame " + Number(segment.nSteady) + " refreshes ("
                          + Hz(segment.dRefreshHz / segment.nSteady, 2) + ")");
        return;
    }
    if (segment.bCadence23)
    {
        clauses.push_back("a 2-3 cadence (" + Hz(segment.dRefreshHz / 2.5, 2) + ")");
        return;
    }
    const std::string strAtLeast = segment.bAtLeast ? "at least " : "";
    if (segment.nHeld == 0)
        clauses.push_back("no frame held for 2+ refreshes");
    else if (words.bShort)
        clauses.push_back(strAtLeast + Number(segment.nHeld) + " held for 2+");
    else
    {
        clauses.push_back(strAtLeast + Number(segment.nHeld) + " of " + Count(segment.nIntervals, "frame", "frames")
                          + " held for 2+ refreshes");
        clauses.push_back(" (" + Count(segment.nRepeated, "refresh", "refreshes") + " repeated)");
    }
    if (segment.nEarly != 0)
        clauses.push_back(Number(segment.nEarly)
                          + words.Pick(segment.nEarly == 1 ? " frame less than half a refresh after the one before"
                                                           : " frames less than half a refresh after the one before",
                                       " early"));
}

// The frames' own time, where there is no refresh they keep.
void OwnTimeClauses(const PacingSegment& segment, Words words, std::vector<std::string>& clauses)
{
    const std::string strEvery = segment.dTypicalMs < 10000 ? Format("frames every %.3f ms", segment.dTypicalMs)
                                                            : "frames every " + Duration(segment.dTypicalMs);
    clauses.push_back(strEvery + (words.bShort ? "" : " (" + Hz(segment.dTypicalHz, 2) + ")"));
    if (segment.verdict == PacingVerdict::NotTied)
        clauses.push_back(words.Pick("not tied to its refresh", "not tied"));
    const std::string strAtLeast = segment.bAtLeast ? "at least " : "";
    if (segment.nLate != 0)
        clauses.push_back(strAtLeast + Number(segment.nLate)
                          + words.Pick(segment.nLate == 1 ? " late frame" : " late frames", " late"));
    if (segment.nEarly != 0)
        clauses.push_back(strAtLeast + Number(segment.nEarly)
                          + words.Pick(segment.nEarly == 1 ? " frame less than half the typical time after the one before"
                                                           : " frames less than half the typical time after the one before",
                                       " early"));
}

// One segment's clauses, without separators.
std::vector<std::string> SegmentClauses(const PacingSegment& segment, Words words)
{
    std::vector<std::string> clauses;
    RefreshClauses(segment, words, clauses);
    if (segment.verdict == PacingVerdict::TooFewFrames)
        clauses.push_back("too few frames for a figure");
    else if (segment.verdict == PacingVerdict::Tied)
        TiedClauses(segment, words, clauses);
    else
        OwnTimeClauses(segment, words, clauses);
    return clauses;
}
}

std::vector<std::string> PacingClauses(const PacingSummary& pacing)
{
    bool bFigure = false;
    for (unsigned i = 0; i < pacing.nSegments; ++i)
        bFigure = bFigure || pacing.aSegments[i].verdict != PacingVerdict::TooFewFrames;

    std::vector<std::string> clauses;
    if (!bFigure)
    {
        clauses.push_back("Frame pacing: too few frames for a figure");
    }
    else
    {
        // A refresh that changed mid-run: each part against its own.
        for (unsigned i = 0; i < pacing.nSegments; ++i)
        {
            const std::vector<std::string> part = SegmentClauses(pacing.aSegments[i], Words{pacing.nSegments > 1});
            for (size_t j = 0; j < part.size(); ++j)
            {
                // A clause in brackets belongs to the one before it.
                const bool bBracket = part[j].compare(0, 2, " (") == 0;
                if (i == 0 && j == 0)
                    clauses.push_back("Frame pacing: " + part[j]);
                else
                    clauses.push_back(j == 0 ? "; then " + part[j] : bBracket ? part[j] : ", " + part[j]);
            }
        }
        clauses.push_back((pacing.nSegments == 1 ? ", longest " : "; longest ") + Duration(pacing.dLongestMs));
    }
    if (pacing.dLostSeconds > 0)
        clauses.push_back(Format(", display lost for %.2f s", pacing.dLostSeconds));
    return clauses;
}

std::string FormatPacingLine(const PacingSummary& pacing)
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
        // The separator's mark ends the line; its space goes. A bracket has
        // no mark before it.
        const bool bBracket = clause[0] == ' ';
        strText += strLine + (bBracket ? "" : clause.substr(0, 1)) + "\r\n";
        strLine = clause.substr(bBracket ? 1 : 2);
    }
    return strText + strLine;
}
