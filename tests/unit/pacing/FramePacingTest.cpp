// The pacing record from scripted timestamps, and the line the dialog shows.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "render/FramePacing.h"
#include "ui/PacingText.h"

namespace
{
const LONGLONG kTicksPerMs = 10000; // Wine's performance counter runs at 10 MHz

// nFrames frames at dHz, each shown up to dJitterMs off its time, so that the
// intervals jitter by up to twice that. Before frame nPauseAt the run stops
// for dPauseMs, with the display lost meanwhile when bLost.
FramePacingSummary Paced(DWORD nDisplayHz, double dHz, int nFrames, double dJitterMs = 0, int nPauseAt = -1,
                       double dPauseMs = 0, bool bLost = false)
{
    CFramePacing pacing;
    pacing.Begin(1000 * kTicksPerMs, nDisplayHz);
    unsigned nSeed = 12345;
    LONGLONG nShift = 0;
    for (int i = 0; i < nFrames; ++i)
    {
        nSeed = nSeed * 1103515245u + 12345u;
        const double dJitter = dJitterMs * (static_cast<int>((nSeed >> 8) % 2001) - 1000) / 1000.0;
        const LONGLONG nAt = std::llround((i * 1000.0 / dHz + dJitter) * kTicksPerMs);
        if (i == nPauseAt)
        {
            nShift = std::llround(dPauseMs * kTicksPerMs);
            if (bLost)
                pacing.AddLostTime(nAt, nAt + nShift);
        }
        pacing.AddFrame(nAt + nShift);
    }
    return pacing.Summarize();
}
}

TEST(FramePacing, FiguresAndLineFromScriptedTimestamps)
{
    const struct
    {
        const char* pszName;
        FramePacingSummary summary;
        const char* pszLine;
        DWORD nLate;
    } kCases[] = {
        {"steady 60 Hz", Paced(60, 60, 600),
         "Frame pacing: 16.667 ms (60.00 Hz), display 60 Hz, no late frames, longest 16.7 ms", 0},
        {"59.94 Hz, jitter of 1 ms either way", Paced(60, 59.94, 600, 0.5),
         "Frame pacing: 16.683 ms (59.94 Hz), display 60 Hz, no late frames, longest 17.6 ms", 0},
        {"one frame late", Paced(60, 59.94, 600, 0.5, 300, 16.683),
         "Frame pacing: 16.684 ms (59.94 Hz), display 60 Hz, 1 late frame, longest 32.9 ms", 1},
        {"a pause of 500 ms", Paced(60, 59.94, 600, 0.5, 300, 500),
         "Frame pacing: 16.684 ms (59.94 Hz), display 60 Hz, 1 late frame, longest 516.2 ms", 1},
        {"display lost for 2 s", Paced(60, 60, 600, 0, 300, 2000, true),
         "Frame pacing: 16.667 ms (60.00 Hz), display 60 Hz, no late frames, longest 16.7 ms, "
         "display lost for 2.00 s", 0},
        {"300 frames a second on a 60 Hz display", Paced(60, 300, 3000),
         "Frame pacing: 3.333 ms (300.00 Hz), no late frames, longest 3.3 ms; faster than the display's 60 Hz: "
         "not tied to its refresh", 0},
        // Every other refresh: late only against the frames' own time.
        {"30 frames a second on a 60 Hz display", Paced(60, 30, 300),
         "Frame pacing: 33.333 ms (30.00 Hz), display 60 Hz, no late frames, longest 33.3 ms", 0},
        {"no refresh from the display", Paced(0, 60, 600, 0, 300, 100),
         "Frame pacing: 16.667 ms (60.00 Hz), display refresh unknown, 1 late frame, longest 116.7 ms", 1},
        {"one frame, after the display was lost", Paced(60, 60, 1, 0, 0, 5000, true),
         "Frame pacing: too few frames for a figure, display lost for 5.00 s", 0},
        {"no frame", Paced(60, 60, 0), "Frame pacing: too few frames for a figure", 0},
    };
    for (const auto& c : kCases)
    {
        EXPECT_EQ(c.pszLine, FormatPacingLine(c.summary)) << c.pszName;
        EXPECT_EQ(c.nLate, c.summary.nLate) << c.pszName << ": late frames";
    }
}

TEST(FramePacing, APauseOf500MsMovesTheTypicalRateByLessThanAHundredthOfAHertz)
{
    const double dSteady = Paced(60, 59.94, 600, 0.5).dTypicalHz;
    EXPECT_NEAR(59.94, dSteady, 0.005);
    EXPECT_NEAR(dSteady, Paced(60, 59.94, 600, 0.5, 300, 500).dTypicalHz, 0.01);
}
