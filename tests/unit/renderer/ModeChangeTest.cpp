// A new display mode during a run, against the fake DirectDraw, noticed each
// way it shows; and a system key, which ends a run.
#include "RendererTestSupport.h"

#include "support/TestText.h"

namespace
{
typedef FakeDDMethod M;

const RECT kNew = {0, 0, 640, 480};
const DWORD kPastALookMs = 300; // longer than the loop's pause between looks at the monitor

enum class Sign { Message, WrongMode, Size, SysKey };

struct ModeCase
{
    const char* pszName;
    Sign sign;
    SIZE surfaceAfter; // Windows makes surfaces of the new size, Wine of the old
    DDPIXELFORMAT (*pfnFormat)();
    DWORD nFailMs;     // the rebuild fails this long; ~0u: until a key
    DWORD nExpected;   // frames counted
};

// The fills of one back buffer: the screen, four edges and the bar, per frame.
std::vector<std::string> FillsOf(int nBackBuffer)
{
    std::vector<std::string> fills;
    for (const FakeDDCall& call : FakeDDCallsOf(M::Blt))
        if (call.object == FakeDDObject::BackBuffer && call.nInstance == nBackBuffer)
            fills.push_back(ToText(call.rcDest));
    return fills;
}
}

class ModeChange : public RendererTest, public ::testing::WithParamInterface<ModeCase>
{
};

// Two frames, a look that finds the mode unchanged, two frames in which it
// changes, then the rebuild and two frames on the new chain.
TEST_P(ModeChange, RebuildsOnceAndLaysOutTheNextFrameForTheNewSize)
{
    const ModeCase& c = GetParam();
    g_fakeDDScript.surfaceSize = {800, 600};
    g_fakeDDScript.pixelFormat = c.pfnFormat();
    g_fakeDDScript.dwMonitorFrequency = 60;
    std::unique_ptr<CSweepRenderer> pRenderer = Construct(DeviceOn(RECT{0, 0, 800, 600}));
    ASSERT_TRUE(pRenderer != nullptr);
    const HWND hWnd = pRenderer->GetTestWindow();
    int nOldFlips = 0, nNewFlips = 0, nFailedTries = 0;
    DWORD dwFirstFailure = 0, dwFailedFor = 0;
    g_fakeDDScript.onCall = [&](const FakeDDCall& call) {
        if (call.method == M::Flip && call.nInstance == 0 && ++nOldFlips == 2)
            Sleep(kPastALookMs);
        if (call.method == M::Flip && call.nInstance == 0 && nOldFlips == 3 && c.sign != Sign::SysKey)
        {
            m_pMonitor->MoveTo(kNew);
            g_fakeDDScript.surfaceSize = c.surfaceAfter;
            g_fakeDDScript.hrCreateSurface = c.nFailMs != 0 ? DDERR_GENERIC : DD_OK;
            g_fakeDDScript.flip.hrThen = c.sign == Sign::WrongMode ? DDERR_SURFACELOST : DD_OK;
            g_fakeDDScript.restore.hrThen = DDERR_WRONGMODE;
            g_fakeDDScript.dwMonitorFrequency = 75;
        }
        if (call.method == M::Flip && call.nInstance == 0 && nOldFlips == 4)
        {
            if (c.sign == Sign::Message)
                SendMessageW(hWnd, WM_DISPLAYCHANGE, 32, MAKELPARAM(640, 480));
            if (c.sign == Sign::Size)
                Sleep(kPastALookMs);
            if (c.sign == Sign::SysKey)
                PostMessageW(hWnd, WM_SYSKEYDOWN, VK_F10, 0x00440001);
        }
        if (call.method == M::CreateSurface && call.hr != DD_OK)
        {
            if (nFailedTries++ == 0)
                dwFirstFailure = GetTickCount();
            dwFailedFor = GetTickCount() - dwFirstFailure;
            if (dwFailedFor >= c.nFailMs)
                g_fakeDDScript.hrCreateSurface = DD_OK;
            if (c.nFailMs == ~0u && nFailedTries == 3)
                PostMessageW(hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
        }
        if (call.method == M::CreateSurface && call.hr == DD_OK)
            g_fakeDDScript.flip.hrThen = DD_OK;
        // The key after two frames on the new chain, or after 50 if it never comes.
        if (call.method == M::Flip && (call.nInstance == 1 ? ++nNewFlips == 2 : nOldFlips == 50))
            PostMessageW(hWnd, WM_KEYDOWN, VK_SPACE, 1);
    };
    const size_t nFrom = FakeDDCalls().size();
    const DWORD nFrames = pRenderer->RunFrames(170, 0, 20, 0x00336699, 0x00E08020);
    g_fakeDDScript.onCall = nullptr;

    // The frames since the last look that found the mode unchanged count as
    // nothing shown, and so does the rebuild.
    EXPECT_EQ(c.nExpected, nFrames) << c.pszName;
    const FramePacingSummary pacing = pRenderer->GetPacing().Summarize();
    EXPECT_EQ(nFrames, pacing.nFrames) << c.pszName << ": the pacing record is taken back too";
    if (c.sign != Sign::SysKey) {
        EXPECT_GT(pacing.dLostSeconds, 0.0) << c.pszName << ": the gap shows as time the display was lost";
    }
    EXPECT_EQ(4u * 6, FillsOf(0).size()) << c.pszName << ": the change is noticed after the 4th frame";
    const bool bRebuilt = c.sign != Sign::SysKey && c.nFailMs != ~0u;
    EXPECT_EQ(static_cast<size_t>(nFailedTries + (bRebuilt ? 1 : 0)), CallsFrom(nFrom, M::CreateSurface).size())
        << c.pszName << ": the chain is made once";
    EXPECT_EQ(c.sign == Sign::WrongMode ? 1u : 0u, CallsFrom(nFrom, M::Restore).size())
        << c.pszName << ": surfaces lost to a new mode are made again, not restored";
    if (c.nFailMs != 0)
    {
        // A try every 100 ms at the most; a loop that spins makes thousands.
        const DWORD nFor = c.nFailMs == ~0u ? dwFailedFor : c.nFailMs;
        EXPECT_GE(nFailedTries, 2) << c.pszName;
        EXPECT_LE(nFailedTries, static_cast<int>(nFor / 100 + 2)) << c.pszName << ": tries in " << nFor << " ms";
    }
    // The new mode's refresh is asked for, and its frames judged apart.
    EXPECT_EQ(bRebuilt ? 2u : 1u, pacing.nSegments) << c.pszName;
    EXPECT_EQ(bRebuilt ? 75u : 60u, pacing.aSegments[pacing.nSegments - 1].nDisplayHz) << c.pszName;
    if (bRebuilt)
    {
        // Inside the part of the surface that the monitor shows; the bar keeps
        // its speed, and restarts at the left as 681 no longer fits.
        const std::vector<std::string> fills = FillsOf(1);
        const std::vector<std::string> expected = {
            "(0, 0, 640, 480)", "(0, 0, 640, 1)", "(639, 0, 640, 480)", "(0, 479, 640, 480)", "(0, 0, 1, 480)",
            "(1, 1, 21, 479)", "(0, 0, 640, 480)", "(0, 0, 640, 1)", "(639, 0, 640, 480)", "(0, 479, 640, 480)",
            "(0, 0, 1, 480)", "(171, 1, 191, 479)"};
        EXPECT_EQ(expected, fills) << c.pszName;
        RECT rcWindow = {};
        GetWindowRect(hWnd, &rcWindow);
        EXPECT_EQ(ToText(kNew), ToText(rcWindow)) << c.pszName << ": the test window covers the new rectangle";
    }
    const bool bPalette = c.pfnFormat == &FakeFormatPalette8;
    EXPECT_EQ(bPalette ? 2 : 0, FakeDDCount(M::CreatePalette)) << c.pszName << ": the palette is made again";
    pRenderer.reset();
    EXPECT_EQ("", FakeDDLeaks()) << c.pszName;
    EXPECT_EQ(0, FakeDDMisuses()) << c.pszName;
}

INSTANTIATE_TEST_SUITE_P(
    Signs, ModeChange,
    ::testing::Values(ModeCase{"WindowsMessage", Sign::Message, {640, 480}, &FakeFormat32, 0, 4},
                      ModeCase{"WindowsWrongMode", Sign::WrongMode, {640, 480}, &FakeFormat32, 0, 4},
                      ModeCase{"WineNewScreenSize", Sign::Size, {800, 600}, &FakeFormat32, 0, 4},
                      ModeCase{"PaletteMadeAgain", Sign::Size, {800, 600}, &FakeFormatPalette8, 0, 4},
                      ModeCase{"RebuildFailsForAWhile", Sign::Message, {640, 480}, &FakeFormat32, 400, 4},
                      ModeCase{"RebuildFailsUntilAKey", Sign::WrongMode, {640, 480}, &FakeFormat32, ~0u, 2},
                      ModeCase{"SysKeyEndsTheRun", Sign::SysKey, {800, 600}, &FakeFormat32, 0, 4}),
    [](const ::testing::TestParamInfo<ModeCase>& info) { return info.param.pszName; });
