// The pacing record from scripted timestamps, its judgement and the line the
// dialog shows. QB_PRINT_PACING=1 prints each row's line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "pacing/PacingJudgement.h"
#include "pacing/PacingRecord.h"
#include "pacing/PacingWords.h"

namespace
{
const LONGLONG kTicksPerMs = 10000; // Wine's performance counter runs at 10 MHz
const double k5994 = 60000.0 / 1001;

// Frames whose intervals follow steps (in units of dUnitMs, repeated), each
// shown up to dJitterMs off its time by a fixed pseudo-random sequence; every
// nLateEvery-th frame (from the middle of the first such stretch) comes
// dLateMs late besides.
struct Stretch
{
    DWORD nGivenHz; // what DirectDraw says
    double dUnitMs;
    std::vector<double> steps;
    int nFrames;
    double dJitterMs = 0.5;
    int nLateEvery = 0;
    double dLateMs = 0;
};

// The stretches one after the other, each after a new mode (lost for 100 ms)
// but the first; before frame nPauseAt of the first the run stops for
// dPauseMs, with the display lost meanwhile when bLost.
PacingSummary Scripted(const std::vector<Stretch>& stretches, int nPauseAt = -1, double dPauseMs = 0,
                       bool bLost = false)
{
    static CPacingRecord s_record;
    s_record.Begin(1000 * kTicksPerMs, stretches[0].nGivenHz);
    unsigned nSeed = 12345;
    double dAtMs = 0;
    auto ticks = [](double dMs) { return std::llround(dMs * kTicksPerMs); };
    for (size_t n = 0; n < stretches.size(); ++n)
    {
        const Stretch& s = stretches[n];
        if (n != 0)
        {
            s_record.AddLostTime(ticks(dAtMs), ticks(dAtMs + 100));
            dAtMs += 100;
            s_record.SetDisplayHz(s.nGivenHz);
        }
        for (int i = 0; i < s.nFrames; ++i)
        {
            nSeed = nSeed * 1103515245u + 12345u;
            double dOffMs = s.dJitterMs * (static_cast<int>((nSeed >> 8) % 2001) - 1000) / 1000.0;
            if (s.nLateEvery != 0 && i % s.nLateEvery == s.nLateEvery / 2)
                dOffMs = s.dLateMs;
            if (n == 0 && i == nPauseAt)
            {
                if (bLost)
                    s_record.AddLostTime(ticks(dAtMs), ticks(dAtMs + dPauseMs));
                dAtMs += dPauseMs;
            }
            s_record.AddFrame(ticks(dAtMs + dOffMs));
            dAtMs += s.dUnitMs * s.steps[i % s.steps.size()];
        }
    }
    return JudgePacing(s_record);
}

PacingSummary Steps(DWORD nGivenHz, double dHz, std::vector<double> steps, int nFrames, double dJitterMs = 0.5)
{
    return Scripted({{nGivenHz, 1000.0 / dHz, steps, nFrames, dJitterMs}});
}

// every - 1 steps of one unit, then one of n.
std::vector<double> OnceIn(int every, double n)
{
    std::vector<double> steps(every - 1, 1.0);
    steps.push_back(n);
    return steps;
}

// n steps of a, then m of b.
std::vector<double> Then(int n, double a, int m, double b)
{
    std::vector<double> steps(n, a);
    steps.insert(steps.end(), m, b);
    return steps;
}

// Intervals spread from 50 us to 8 ms, as Wine copies frames under Xvfb.
std::vector<double> Spread()
{
    std::vector<double> steps;
    unsigned nSeed = 7;
    for (int i = 0; i < 500; ++i)
    {
        nSeed = nSeed * 1103515245u + 12345u;
        steps.push_back(0.05 + 7.95 * ((nSeed >> 8) % 1000) / 1000.0);
    }
    return steps;
}

const char* Name(PacingVerdict verdict)
{
    switch (verdict)
    {
    case PacingVerdict::TooFewFrames:
        return "too few frames";
    case PacingVerdict::Tied:
        return "tied";
    case PacingVerdict::NotTied:
        return "not tied";
    case PacingVerdict::RefreshUnknown:
        return "refresh unknown";
    }
    return "?";
}
}

TEST(Pacing, EachRunsVerdictCountsRefreshAndLine)
{
    typedef PacingVerdict V;
    const struct
    {
        const char* pszName;
        PacingSummary summary;
        PacingVerdict verdict; // of the first segment
        DWORD nHeld;           // over all segments
        DWORD nRepeated;
        DWORD nEarly;
        double dRefreshHz; // the first segment's, right to its last decimal; 0 where none is counted against
        const char* pszLine;
    } kCases[] = {
        {"steady 60 Hz", Steps(60, 60, {1}, 600), V::Tied, 0, 0, 0, 60,
         "Frame pacing: display 60.00 Hz, no late frames, longest 17.6 ms"},
        {"59.94 Hz that DirectDraw calls 60", Steps(60, k5994, {1}, 600), V::Tied, 0, 0, 0, k5994,
         "Frame pacing: display 59.94 Hz, no late frames, longest 17.6 ms"},
        {"59.94 Hz that DirectDraw cuts to 59", Steps(59, k5994, {1}, 600), V::Tied, 0, 0, 0, k5994,
         "Frame pacing: display 59.94 Hz, no late frames, longest 17.6 ms"},
        {"three frames held 3 refreshes", Steps(60, k5994, OnceIn(150, 3), 600), V::Tied, 3, 6, 0, k5994,
         "Frame pacing: display 59.94 Hz, 3 of 599 frames held for 2+ refreshes (6 refreshes repeated), "
         "longest 49.8 ms"},
        {"1-2 alternation", Steps(60, 60, {1, 2}, 600), V::Tied, 299, 299, 0, 60,
         "Frame pacing: display 60.00 Hz, "
         "299 of 599 frames held for 2+ refreshes (299 refreshes repeated), longest 34.3 ms"},
        {"1-2-2", Steps(60, 60, {1, 2, 2}, 600), V::Tied, 399, 399, 0, 60,
         "Frame pacing: display 60.00 Hz, "
         "399 of 599 frames held for 2+ refreshes (399 refreshes repeated), longest 34.3 ms"},
        {"70 frames a second on 120 Hz", Steps(120, 120, {1, 2, 2, 1, 2, 2, 2}, 701), V::Tied, 500, 500, 0, 120,
         "Frame pacing: display 120.00 Hz, "
         "500 of 700 frames held for 2+ refreshes (500 refreshes repeated), longest 17.6 ms"},
        {"steady half rate", Steps(60, 60, {2}, 300), V::Tied, 299, 299, 0, 60,
         "Frame pacing: display 60.00 Hz, every frame 2 refreshes (30.00 Hz), longest 34.3 ms"},
        {"steady half rate on 59.94 Hz that DirectDraw calls 60", Steps(60, k5994, {2}, 300), V::Tied, 299, 299, 0,
         k5994, "Frame pacing: display 59.94 Hz, every frame 2 refreshes (29.97 Hz), longest 34.3 ms"},
        {"every frame 3 refreshes", Steps(60, 60, {3}, 200), V::Tied, 199, 398, 0, 60,
         "Frame pacing: display 60.00 Hz, every frame 3 refreshes (20.00 Hz), longest 50.9 ms"},
        {"2-3 cadence", Steps(60, 60, {2, 3}, 240), V::Tied, 239, 358, 0, 60,
         "Frame pacing: display 60.00 Hz, a 2-3 cadence (24.00 Hz), longest 50.9 ms"},
        // A loaded machine wakes the loop late after a fifth of the flips.
        {"1-2-2 on 75 Hz, one frame in five timed 5 ms late", Scripted({{75, 1000.0 / 75, {1, 2, 2}, 161, 0.5, 5, 5}}),
         V::Tied, 106, 106, 0, 75,
         "Frame pacing: display 75.0 Hz, 106 of 160 frames held for 2+ refreshes (106 refreshes repeated), "
         "longest 32.1 ms"},
        {"120 Hz, timestamps scattered by up to 2 ms", Steps(120, 120, {1}, 600, 2), V::Tied, 0, 0, 0, 120,
         "Frame pacing: display 120.0 Hz, no late frames, longest 12.1 ms"},
        {"144 Hz, 1 ms of scatter", Steps(144, 144, {1}, 600, 1), V::Tied, 0, 0, 0, 144,
         "Frame pacing: display 144.0 Hz, no late frames, longest 8.9 ms"},
        {"120 Hz scattered by 2 ms, a second long", Steps(120, 120, {1}, 120, 2), V::Tied, 0, 0, 0, 120,
         "Frame pacing: display 120 Hz, no late frames, longest 11.8 ms"},
        {"eleven frames 8 ms late, each still shown one refresh",
         Scripted({{60, 1000.0 / 60, {1}, 600, 0.5, 55, 8}}), V::Tied, 0, 0, 0, 60,
         "Frame pacing: display 60.00 Hz, no late frames, longest 25.2 ms"},
        {"compositor: 1 ms and 32.3 ms in turn", Scripted({{60, 1, {1, 32.3}, 600, 0.2}}), V::Tied, 299, 299, 300,
         60.06,
         "Frame pacing: display 60.06 Hz, "
         "299 of 599 frames held for 2+ refreshes (299 refreshes repeated), "
         "300 frames less than half a refresh after the one before, longest 32.7 ms"},
        // Frames that keep their own time, as a tester with vertical sync off sees them.
        {"50 frames a second on 60 Hz", Steps(60, 50, {1}, 500), V::NotTied, 0, 0, 0, 0,
         "Frame pacing: display 60 Hz, frames every 20.000 ms (50.00 Hz), not tied to its refresh, "
         "longest 21.0 ms"},
        {"45 frames a second on 60 Hz", Steps(60, 45, {1}, 450), V::NotTied, 0, 0, 0, 0,
         "Frame pacing: display 60 Hz, frames every 22.222 ms (45.00 Hz), not tied to its refresh, "
         "longest 23.2 ms"},
        {"55 frames a second on 60 Hz", Steps(60, 55, {1}, 550), V::NotTied, 0, 0, 0, 0,
         "Frame pacing: display 60 Hz, frames every 18.182 ms (55.00 Hz), not tied to its refresh, "
         "longest 19.1 ms"},
        {"70 frames a second on 60 Hz", Steps(60, 70, {1}, 700), V::NotTied, 0, 0, 0, 0,
         "Frame pacing: display 60 Hz, frames every 14.286 ms (70.00 Hz), not tied to its refresh, "
         "longest 15.2 ms"},
        // Timestamps scattered as a loaded machine wakes the loop late, and one
        // frame in seventeen a step of their own late: their time from the
        // whole run, not from the most common group of intervals.
        {"50 frames a second on 60 Hz, 3 ms of scatter, some a step late", Steps(60, 50, OnceIn(17, 2), 175, 3),
         V::NotTied, 0, 0, 0, 0,
         "Frame pacing: display 60 Hz, frames every 19.998 ms (50.00 Hz), not tied to its refresh, 10 late frames, "
         "longest 44.7 ms"},
        // Two groups a fifth apart: the typical time is the commoner, never their mean.
        {"60 frames a second, then 50, in one mode", Steps(60, 60, Then(160, 1, 140, 1.2), 300), V::NotTied, 0, 0, 0,
         0, "Frame pacing: display 60 Hz, frames every 16.662 ms (60.02 Hz), not tied to its refresh, longest 20.8 ms"},
        // A rate a quarter off the refresh puts three frames in four on its grid.
        {"48 frames a second on 60 Hz", Steps(60, 48, {1}, 480), V::NotTied, 0, 0, 0, 0,
         "Frame pacing: display 60 Hz, frames every 20.833 ms (48.00 Hz), not tied to its refresh, "
         "longest 21.8 ms"},
        {"300 frames a second on 60 Hz, a pause of 1 s", Scripted({{60, 1000.0 / 300, {1}, 60, 0}}, 30, 1000),
         V::NotTied, 0, 0, 0, 0,
         "Frame pacing: display 60 Hz, frames every 3.333 ms (300.00 Hz), not tied to its refresh, "
         "1 late frame, longest 1003.3 ms"},
        // A refresh from DirectDraw that the frames don't bear out.
        {"a driver that says 1000 Hz for 60", Steps(1000, k5994, {1}, 600), V::RefreshUnknown, 0, 0, 0, 0,
         "Frame pacing: DirectDraw gave 1000 Hz, which the frames don't fit, "
         "frames every 16.683 ms (59.94 Hz), longest 17.6 ms"},
        {"a driver that says 999 Hz, frames 1-2-2 on 59.94", Steps(999, k5994, {1, 2, 2}, 600), V::Tied, 399, 399,
         0, k5994,
         "Frame pacing: DirectDraw gave 999 Hz, which the frames don't fit, "
         "about 59.94 Hz by the frames, "
         "399 of 599 frames held for 2+ refreshes (399 refreshes repeated), longest 34.3 ms"},
        {"a driver that says 2 Hz", Steps(2, 60, {1}, 600), V::RefreshUnknown, 0, 0, 0, 0,
         "Frame pacing: DirectDraw gave 2 Hz, which the frames don't fit, "
         "frames every 16.667 ms (60.00 Hz), longest 17.6 ms"},
        {"60 Hz, then 144 Hz after a new mode",
         Scripted({{60, 1000.0 / 60, {1}, 300, 0.5}, {144, 1000.0 / 144, {1}, 300, 0.3}}), V::Tied, 0, 0, 0, 60,
         "Frame pacing: 60.00 Hz, no late frames; then 144.0 Hz, no late frames; longest 17.6 ms, "
         "display lost for 0.10 s"},
        {"five modes: the last two share a segment",
         Scripted({{60, 1000.0 / 60, {1}, 100}, {75, 1000.0 / 75, {1}, 100}, {60, 1000.0 / 60, {1, 2}, 100},
                   {144, 1000.0 / 144, {1}, 100}, {60, 1000.0 / 60, {1}, 100}}),
         V::Tied, 49, 49, 99, 60,
         "Frame pacing: 60.0 Hz, no late frames; then 75.0 Hz, no late frames; then 60.0 Hz, "
         "49 held for 2+; then several refreshes, frames every 16.666 ms, "
         "99 early; longest 34.2 ms, display lost for 0.40 s"},
        {"longer than the record keeps apart: 400,000 frames, one in 1000 held",
         Steps(60, 60, OnceIn(1000, 2), 400000, 0.5), V::Tied, 399, 399, 0, 60,
         "Frame pacing: display 60.00 Hz, "
         "at least 399 of 399999 frames held for 2+ refreshes (399 refreshes repeated), longest 34.3 ms"},
        {"a pause of 500 ms", Scripted({{60, 1000 / k5994, {1}, 600, 0.5}}, 300, 500), V::Tied, 1, 30, 0, k5994,
         "Frame pacing: display 59.94 Hz, 1 of 599 frames held for 2+ refreshes (30 refreshes repeated), "
         "longest 516.2 ms"},
        {"display lost for 2 s", Scripted({{60, 1000 / k5994, {1}, 600, 0.5}}, 300, 2000, true), V::Tied, 0, 0, 0,
         k5994, "Frame pacing: display 59.94 Hz, no late frames, longest 17.6 ms, display lost for 2.00 s"},
        // A display that gives no refresh (Xvfb).
        {"no refresh given, a pause of 100 ms", Scripted({{0, 1000.0 / 60, {1}, 600, 0}}, 300, 100),
         V::RefreshUnknown, 0, 0, 0, 0,
         "Frame pacing: display refresh unknown, frames every 16.667 ms (60.00 Hz), 1 late frame, "
         "longest 116.7 ms"},
        {"no refresh given, 1-2-2", Steps(0, k5994, {1, 2, 2}, 600), V::Tied, 399, 399, 0, k5994,
         "Frame pacing: display refresh unknown, about 59.94 Hz by the frames, "
         "399 of 599 frames held for 2+ refreshes (399 refreshes repeated), longest 34.3 ms"},
        {"no refresh given, a 2-3 cadence", Steps(0, k5994, {2, 3}, 240), V::Tied, 239, 358, 0, k5994,
         "Frame pacing: display refresh unknown, about 59.94 Hz by the frames, a 2-3 cadence (23.98 Hz), "
         "longest 51.0 ms"},
        {"no refresh given, a spread as under Xvfb", Scripted({{0, 1, Spread(), 600, 0}}), V::RefreshUnknown, 0, 0,
         224, 0,
         "Frame pacing: display refresh unknown, frames every 6.241 ms (160.24 Hz), "
         "224 frames less than half the typical time after the one before, longest 8.0 ms"},
        {"no frame", Steps(60, 60, {1}, 0), V::TooFewFrames, 0, 0, 0, 0, "Frame pacing: too few frames for a figure"},
        {"one frame, after the display was lost", Scripted({{60, 1000.0 / 60, {1}, 1, 0}}, 0, 5000, true),
         V::TooFewFrames, 0, 0, 0, 0, "Frame pacing: too few frames for a figure, display lost for 5.00 s"},
        {"two frames", Steps(60, 60, {1}, 2), V::TooFewFrames, 0, 0, 0, 0, "Frame pacing: too few frames for a figure"},
    };
    for (const auto& c : kCases)
    {
        DWORD nHeld = 0, nRepeated = 0, nEarly = 0;
        for (unsigned i = 0; i < c.summary.nSegments; ++i)
        {
            nHeld += c.summary.aSegments[i].nHeld;
            nRepeated += c.summary.aSegments[i].nRepeated;
            nEarly += c.summary.aSegments[i].nEarly;
        }
        const PacingSegment& first = c.summary.aSegments[0];
        const std::string strLine = FormatPacingLine(c.summary);
        if (std::getenv("QB_PRINT_PACING") != nullptr)
            std::printf("%-55s %s\n", c.pszName, strLine.c_str());
        EXPECT_STREQ(Name(c.verdict), Name(first.verdict)) << c.pszName;
        EXPECT_EQ(c.nHeld, nHeld) << c.pszName << ": frames held for 2+ refreshes";
        EXPECT_EQ(c.nRepeated, nRepeated) << c.pszName << ": refreshes repeated";
        EXPECT_EQ(c.nEarly, nEarly) << c.pszName << ": early frames";
        if (c.dRefreshHz != 0)
        {
            EXPECT_NEAR(c.dRefreshHz, first.dRefreshHz, 0.5 * std::pow(10.0, -first.nDecimals))
                << c.pszName << ": the refresh counted against, to " << first.nDecimals << " decimals";
        }
        EXPECT_EQ(c.pszLine, strLine) << c.pszName;
    }
}

TEST(Pacing, TheLineBreaksOnlyBetweenClauses)
{
    const std::vector<std::string> clauses = {"Frame pacing: 16.683 ms", ", 12 late frames", ", longest 50.1 ms",
                                              "; faster than the display"};
    const auto fitsIn = [](size_t nChars) { return [nChars](const std::string& s) { return s.size() <= nChars; }; };
    EXPECT_EQ("Frame pacing: 16.683 ms, 12 late frames,\r\nlongest 50.1 ms; faster than the display",
              BreakBetweenClauses(clauses, fitsIn(45)));
    EXPECT_EQ("Frame pacing: 16.683 ms, 12 late frames, longest 50.1 ms; faster than the display",
              BreakBetweenClauses(clauses, fitsIn(200)));
    // Clauses wider than the line each keep a line of their own.
    EXPECT_EQ("Frame pacing: 16.683 ms,\r\n12 late frames,\r\nlongest 50.1 ms;\r\nfaster than the display",
              BreakBetweenClauses(clauses, fitsIn(5)));
    // A clause in brackets has no mark before it, and may begin a line.
    EXPECT_EQ("Frame pacing: 3 of 9 held\r\n(6 repeated),\r\nlongest 50.1 ms",
              BreakBetweenClauses({"Frame pacing: 3 of 9 held", " (6 repeated)", ", longest 50.1 ms"}, fitsIn(16)));
}
