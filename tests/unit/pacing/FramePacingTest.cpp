// The pacing record from scripted timestamps, and the line the dialog shows.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <string>
#include <vector>

#include "render/FramePacing.h"
#include "ui/PacingText.h"

namespace
{
// Wine's performance counter runs at 10 MHz.
const LONGLONG kTicksPerSecond = 10000000;
const LONGLONG kTicksPerMs = kTicksPerSecond / 1000;

// One frame shown at nAt, or, with nLostUntil, the display lost from nAt on.
struct Event
{
    LONGLONG nAt;
    LONGLONG nLostUntil;
};

struct Pause
{
    int nBeforeFrame; // the pause comes before this frame; -1: none
    double dMs;
    bool bLost;       // the display was lost for it
};
const Pause kNoPause = {-1, 0, false};

// nFrames frames at dHz, each timestamp off its place by up to dJitterMs
// either way, so that the intervals jitter by up to twice that.
std::vector<Event> Frames(double dHz, int nFrames, double dJitterMs, Pause pause = kNoPause)
{
    std::vector<Event> events;
    unsigned nSeed = 12345;
    LONGLONG nShift = 0;
    for (int i = 0; i < nFrames; ++i)
    {
        nSeed = nSeed * 1103515245u + 12345u;
        const double dJitter = dJitterMs * (static_cast<int>((nSeed >> 8) % 2001) - 1000) / 1000.0;
        LONGLONG nAt = static_cast<LONGLONG>(std::llround((i * 1000.0 / dHz + dJitter) * kTicksPerMs)) + nShift;
        if (i == pause.nBeforeFrame)
        {
            const LONGLONG nPause = static_cast<LONGLONG>(pause.dMs * kTicksPerMs);
            if (pause.bLost)
                events.push_back(Event{nAt, nAt + nPause});
            nShift += nPause;
            nAt += nPause;
        }
        events.push_back(Event{nAt, 0});
    }
    return events;
}

FramePacingSummary Summarize(DWORD nDisplayHz, const std::vector<Event>& events)
{
    CFramePacing pacing;
    pacing.Begin(kTicksPerSecond, nDisplayHz);
    for (const Event& event : events)
    {
        if (event.nLostUntil != 0)
            pacing.AddLostTime(event.nAt, event.nLostUntil);
        else
            pacing.AddFrame(event.nAt);
    }
    return pacing.Summarize();
}

struct PacingCase
{
    const char* pszName;
    DWORD nDisplayHz;
    std::vector<Event> events;
    const char* pszLine;
    DWORD nLate;
};
}

TEST(FramePacing, FiguresAndLineFromScriptedTimestamps)
{
    const PacingCase kCases[] = {
        {"steady 60 Hz", 60, Frames(60, 600, 0),
         "Frame pacing: 16.667 ms (60.00 Hz), display 60 Hz, no late frames, longest 16.7 ms", 0},
        {"59.94 Hz, jitter of 1 ms either way", 60, Frames(59.94, 600, 0.5),
         "Frame pacing: 16.683 ms (59.94 Hz), display 60 Hz, no late frames, longest 17.6 ms", 0},
        {"one frame late", 60, Frames(59.94, 600, 0.5, {300, 16.683, false}),
         "Frame pacing: 16.684 ms (59.94 Hz), display 60 Hz, 1 late frame, longest 32.9 ms", 1},
        {"a pause of 500 ms", 60, Frames(59.94, 600, 0.5, {300, 500, false}),
         "Frame pacing: 16.684 ms (59.94 Hz), display 60 Hz, 1 late frame, longest 516.2 ms", 1},
        {"display lost for 2 s", 60, Frames(60, 600, 0, {300, 2000, true}),
         "Frame pacing: 16.667 ms (60.00 Hz), display 60 Hz, no late frames, longest 16.7 ms, display lost for "
         "2.00 s",
         0},
        {"300 frames a second on a 60 Hz display", 60, Frames(300, 3000, 0),
         "Frame pacing: 3.333 ms (300.00 Hz), no late frames, longest 3.3 ms; faster than the display's 60 Hz: "
         "not tied to its refresh",
         0},
        // Every other refresh: late only against the frames' own time.
        {"30 frames a second on a 60 Hz display", 60, Frames(30, 300, 0),
         "Frame pacing: 33.333 ms (30.00 Hz), display 60 Hz, no late frames, longest 33.3 ms", 0},
        {"no refresh from the display", 0, Frames(60, 600, 0, {300, 100, false}),
         "Frame pacing: 16.667 ms (60.00 Hz), display refresh unknown, 1 late frame, longest 116.7 ms", 1},
        {"one frame", 60, Frames(60, 1, 0), "Frame pacing: too few frames for a figure", 0},
        {"no frame, display lost", 60, {{0, 5 * kTicksPerSecond}},
         "Frame pacing: too few frames for a figure, display lost for 5.00 s", 0},
    };
    for (const PacingCase& c : kCases)
    {
        const FramePacingSummary summary = Summarize(c.nDisplayHz, c.events);
        EXPECT_EQ(c.pszLine, FormatPacingLine(summary)) << c.pszName;
        EXPECT_EQ(c.nLate, summary.nLate) << c.pszName << ": late frames";
    }
}

TEST(FramePacing, APauseOf500MsMovesTheTypicalRateByLessThanAHundredthOfAHertz)
{
    const FramePacingSummary steady = Summarize(60, Frames(59.94, 600, 0.5));
    const FramePacingSummary paused = Summarize(60, Frames(59.94, 600, 0.5, {300, 500, false}));
    EXPECT_NEAR(59.94, steady.dTypicalHz, 0.005);
    EXPECT_NEAR(steady.dTypicalHz, paused.dTypicalHz, 0.01);
    EXPECT_GE(paused.dLongestMs, 500.0);
}

TEST(FramePacing, RefreshesOf0And1AndAbove1000AreUnknown)
{
    const struct
    {
        DWORD nAnswer, nKept;
    } kCases[] = {{0, 0}, {1, 0}, {2, 2}, {60, 60}, {1000, 1000}, {1001, 0}, {0xFFFFFFFF, 0}};
    for (const auto& c : kCases)
        EXPECT_EQ(c.nKept, Summarize(c.nAnswer, Frames(60, 3, 0)).nDisplayHz) << "DirectDraw answered " << c.nAnswer;
}

TEST(FramePacing, ACopyIsASnapshotThatCanBePutBack)
{
    CFramePacing pacing;
    pacing.Begin(kTicksPerSecond, 60);
    const std::vector<Event> events = Frames(60, 100, 0);
    for (size_t i = 0; i < 50; ++i)
        pacing.AddFrame(events[i].nAt);
    const CFramePacing snapshot = pacing;
    for (size_t i = 50; i < 100; ++i)
        pacing.AddFrame(events[i].nAt + 50 * kTicksPerMs);
    EXPECT_EQ(1u, pacing.Summarize().nLate);
    pacing = snapshot;
    const FramePacingSummary summary = pacing.Summarize();
    EXPECT_EQ(50u, summary.nFrames);
    EXPECT_EQ(0u, summary.nLate);
    EXPECT_NEAR(16.667, summary.dLongestMs, 0.001);
}
