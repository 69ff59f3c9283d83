// The pacing record from scripted timestamps, and the line the dialog shows.
// QB_PRINT_PACING=1 prints each row's line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/FramePacing.h"
#include "ui/PacingText.h"

namespace
{
const LONGLONG kTicksPerMs = 10000; // Wine's performance counter runs at 10 MHz

// Frames whose intervals follow steps (in units of dUnitMs, repeated), each
// shown up to dJitterMs off its time by a fixed pseudo-random sequence.
struct Stretch
{
    DWORD nGivenHz; // what DirectDraw says
    double dUnitMs;
    std::vector<double> steps;
    int nFrames;
    double dJitterMs;
};

// The stretches one after the other, each after a new mode (lost for 100 ms)
// but the first; before frame nPauseAt of the first the run stops for
// dPauseMs, with the display lost meanwhile when bLost.
FramePacingSummary Scripted(const std::vector<Stretch>& stretches, int nPauseAt = -1, double dPauseMs = 0,
                            bool bLost = false)
{
    CFramePacing pacing;
    pacing.Begin(1000 * kTicksPerMs, stretches[0].nGivenHz);
    unsigned nSeed = 12345;
    double dAtMs = 0;
    for (size_t n = 0; n < stretches.size(); ++n)
    {
        const Stretch& s = stretches[n];
        if (n != 0)
        {
            pacing.AddLostTime(std::llround(dAtMs * kTicksPerMs), std::llround((dAtMs + 100) * kTicksPerMs));
            dAtMs += 100;
            pacing.SetDisplayHz(s.nGivenHz);
        }
        for (int i = 0; i < s.nFrames; ++i)
        {
            nSeed = nSeed * 1103515245u + 12345u;
            const double dJitter = s.dJitterMs * (static_cast<int>((nSeed >> 8) % 2001) - 1000) / 1000.0;
            if (n == 0 && i == nPauseAt)
            {
                if (bLost)
                    pacing.AddLostTime(std::llround(dAtMs * kTicksPerMs),
                                       std::llround((dAtMs + dPauseMs) * kTicksPerMs));
                dAtMs += dPauseMs;
            }
            pacing.AddFrame(std::llround((dAtMs + dJitter) * kTicksPerMs));
            dAtMs += s.dUnitMs * s.steps[i % s.steps.size()];
        }
    }
    return pacing.Summarize();
}

FramePacingSummary Steps(DWORD nGivenHz, double dHz, std::vector<double> steps, int nFrames, double dJitterMs = 0.5)
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
}

TEST(FramePacing, CountsInRefreshesAndTheLine)
{
    const double k5994 = 60000.0 / 1001;
    const struct
    {
        const char* pszName;
        FramePacingSummary summary;
        DWORD nHeld;     // over all segments
        DWORD nRepeated;
        DWORD nEarly;
        const char* pszLine;
    } kCases[] = {
        {"steady 60 Hz", Steps(60, 60, {1}, 600), 0, 0, 0,
         "Frame pacing: display 60.00 Hz, no late frames, longest 17.6 ms"},
        {"59.94 Hz that DirectDraw calls 60", Steps(60, k5994, {1}, 600), 0, 0, 0,
         "Frame pacing: display 59.94 Hz, no late frames, longest 17.6 ms"},
        {"three frames held 3 refreshes", Steps(60, k5994, OnceIn(150, 3), 600), 3, 6, 0,
         "Frame pacing: display 59.94 Hz, 3 of 599 frames held for 2+ refreshes (6 refreshes repeated), "
         "longest 49.8 ms"},
        {"1-2 alternation", Steps(60, 60, {1, 2}, 600), 299, 299, 0,
         "Frame pacing: display 60.00 Hz, 299 of 599 frames held for 2+ refreshes (299 refreshes repeated), "
         "longest 34.3 ms"},
        {"1-2-2", Steps(60, 60, {1, 2, 2}, 600), 399, 399, 0,
         "Frame pacing: display 60.00 Hz, 399 of 599 frames held for 2+ refreshes (399 refreshes repeated), "
         "longest 34.3 ms"},
        {"70 frames a second on 120 Hz", Steps(120, 120, {1, 2, 2, 1, 2, 2, 2}, 701), 500, 500, 0,
         "Frame pacing: display 120.01 Hz, 500 of 700 frames held for 2+ refreshes (500 refreshes repeated), "
         "longest 17.6 ms"},
        {"steady half rate", Steps(60, 60, {2}, 300), 299, 299, 0,
         "Frame pacing: display 60 Hz, every frame 2 refreshes (30.00 Hz), longest 34.3 ms"},
        {"compositor: 1 ms and 32.3 ms in turn", Scripted({{60, 1, {1, 32.3}, 600, 0.2}}), 299, 299, 300,
         "Frame pacing: display 60 Hz, 299 of 599 frames held for 2+ refreshes (299 refreshes repeated), "
         "300 frames less than half a refresh after the one before, longest 32.7 ms"},
        {"60 Hz, then 144 Hz after a new mode",
         Scripted({{60, 1000.0 / 60, {1}, 300, 0.5}, {144, 1000.0 / 144, {1}, 300, 0.3}}), 0, 0, 0,
         "Frame pacing: display 60.00 Hz, no late frames; then display 143.98 Hz, no late frames; longest 17.6 ms, "
         "display lost for 0.10 s"},
        {"300 frames a second on 60 Hz, a pause of 1 s", Scripted({{60, 1000.0 / 300, {1}, 60, 0}}, 30, 1000), 0, 0,
         0,
         "Frame pacing: 3.333 ms (300.00 Hz), 1 late frame, longest 1003.3 ms; "
         "faster than the display's 60 Hz: not tied to its refresh"},
        {"a pause of 500 ms", Scripted({{60, 1000 / k5994, {1}, 600, 0.5}}, 300, 500), 1, 30, 0,
         "Frame pacing: display 59.94 Hz, 1 of 599 frames held for 2+ refreshes (30 refreshes repeated), "
         "longest 516.2 ms"},
        {"display lost for 2 s", Scripted({{60, 1000 / k5994, {1}, 600, 0.5}}, 300, 2000, true), 0, 0, 0,
         "Frame pacing: display 59.94 Hz, no late frames, longest 17.6 ms, display lost for 2.00 s"},
        {"no refresh given, a pause of 100 ms", Scripted({{0, 1000.0 / 60, {1}, 600, 0}}, 300, 100), 0, 0, 0,
         "Frame pacing: 16.667 ms (60.00 Hz), display refresh unknown, 1 late frame, longest 116.7 ms"},
        {"no refresh given, 1-2-2", Steps(0, k5994, {1, 2, 2}, 600), 399, 399, 0,
         "Frame pacing: display refresh unknown, about 59.94 Hz by the frames, "
         "399 of 599 frames held for 2+ refreshes (399 refreshes repeated), longest 34.3 ms"},
        {"no refresh given, a spread as under Xvfb", Scripted({{0, 1, Spread(), 600, 0}}), 0, 0, 246,
         "Frame pacing: 6.929 ms (144.32 Hz), display refresh unknown, no frame late, "
         "246 frames less than half the typical time after the one before, longest 8.0 ms"},
        {"no frame", Steps(60, 60, {1}, 0), 0, 0, 0, "Frame pacing: too few frames for a figure"},
        {"one frame, after the display was lost", Scripted({{60, 1000.0 / 60, {1}, 1, 0}}, 0, 5000, true), 0, 0, 0,
         "Frame pacing: too few frames for a figure, display lost for 5.00 s"},
        {"two frames", Steps(60, 60, {1}, 2), 0, 0, 0, "Frame pacing: too few frames for a figure"},
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
        const std::string strLine = FormatPacingLine(c.summary);
        if (std::getenv("QB_PRINT_PACING") != nullptr)
            std::printf("%-45s %s\n", c.pszName, strLine.c_str());
        EXPECT_EQ(c.pszLine, strLine) << c.pszName;
        EXPECT_EQ(c.nHeld, nHeld) << c.pszName << ": frames held for 2+ refreshes";
        EXPECT_EQ(c.nRepeated, nRepeated) << c.pszName << ": refreshes repeated";
        EXPECT_EQ(c.nEarly, nEarly) << c.pszName << ": frames less than half a refresh after the one before";
    }
}

TEST(FramePacing, TheLineBreaksOnlyBetweenClauses)
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
}
