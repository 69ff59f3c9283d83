// A new display mode during a run, against the fake DirectDraw: each way it
// shows, the rebuild of the chain, the layout after it, what counts, and a
// rebuild that fails for a while; and a system key, which ends the run.
#include "RendererTestSupport.h"

#include "support/TestText.h"

namespace
{
typedef FakeDDMethod M;
typedef FakeDDObject O;

const RECT kOld = {0, 0, 800, 600};
const RECT kNew = {0, 0, 640, 480};
// Longer than the loop's pause between two looks at the monitor.
const DWORD kPastALookMs = 300;
const DWORD kSpeed = 170; // the bar is at 681 after four frames
const DWORD kBarWidth = 20;

enum class Sign
{
    Message,   // WM_DISPLAYCHANGE, as Windows sends it
    WrongMode, // the flip is lost and Restore answers DDERR_WRONGMODE
    Size,      // only the monitor's rectangle, as under Wine
    SysKey     // no change: F10 ends the run
};

struct ModeCase
{
    const char* pszName;
    Sign sign;
    SIZE surfaceAfter; // Windows makes surfaces of the new size, Wine of the old
    DDPIXELFORMAT (*pfnFormat)();
    DWORD nFailMs;   // the rebuild fails this long; ~0u: until a key
    DWORD nExpected; // frames counted
};

std::string Text(const RECT& rc)
{
    return "(" + std::to_string(rc.left) + ", " + std::to_string(rc.top) + ", " + std::to_string(rc.right) + ", "
        + std::to_string(rc.bottom) + ")";
}

// The fills of one back buffer, six to a frame.
std::vector<std::vector<FakeDDCall>> FramesOf(int nBackBuffer)
{
    std::vector<std::vector<FakeDDCall>> frames;
    for (const FakeDDCall& call : FakeDDCallsOf(M::Blt))
    {
        if (call.object != O::BackBuffer || call.nInstance != nBackBuffer)
            continue;
        if (frames.empty() || frames.back().size() == 6)
            frames.emplace_back();
        frames.back().push_back(call);
    }
    return frames;
}
}

class ModeChange : public RendererTest, public ::testing::WithParamInterface<ModeCase>
{
};

// Two frames, a look that finds the mode unchanged, two frames more in which
// the mode changes, then the rebuild and two frames on the new chain.
TEST_P(ModeChange, RebuildsOnceAndLaysOutTheNextFrameForTheNewSize)
{
    const ModeCase& c = GetParam();
    g_fakeDDScript.pixelFormat = c.pfnFormat();
    g_fakeDDScript.surfaceSize = {800, 600};
    std::unique_ptr<CSweepRenderer> pRenderer = Construct(DeviceOn(kOld));
    ASSERT_TRUE(pRenderer != nullptr);
    const HWND hWnd = pRenderer->GetTestWindow();
    const size_t nFrom = FakeDDCalls().size();

    int nOldFlips = 0, nNewFlips = 0, nFailedTries = 0;
    DWORD dwFirstFailure = 0, dwFailedFor = 0;
    g_fakeDDScript.onCall = [&](const FakeDDCall& call) {
        if (call.method == M::Flip && call.nInstance == 0)
        {
            ++nOldFlips;
            if (nOldFlips == 2)
                Sleep(kPastALookMs);
            if (nOldFlips == 3 && c.sign != Sign::SysKey)
            {
                m_pMonitor->MoveTo(kNew);
                g_fakeDDScript.surfaceSize = c.surfaceAfter;
                if (c.nFailMs != 0)
                    g_fakeDDScript.hrCreateSurface = DDERR_GENERIC;
                if (c.sign == Sign::WrongMode)
                {
                    g_fakeDDScript.flip.hrThen = DDERR_SURFACELOST;
                    g_fakeDDScript.restore.hrThen = DDERR_WRONGMODE;
                }
            }
            if (nOldFlips == 4 && c.sign == Sign::Message)
                SendMessageW(hWnd, WM_DISPLAYCHANGE, 32, MAKELPARAM(640, 480));
            if (nOldFlips == 4 && c.sign == Sign::Size)
                Sleep(kPastALookMs);
            if (nOldFlips == 4 && c.sign == Sign::SysKey)
                PostMessageW(hWnd, WM_SYSKEYDOWN, VK_F10, 0x00440001);
            if (nOldFlips == 50)
                PostMessageW(hWnd, WM_KEYDOWN, VK_ESCAPE, 1); // the change went unnoticed
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
        {
            g_fakeDDScript.flip.hrThen = DD_OK;
            g_fakeDDScript.restore.hrThen = DD_OK;
        }
        if (call.method == M::Flip && call.nInstance == 1 && ++nNewFlips == 2)
            PostMessageW(hWnd, WM_KEYDOWN, VK_SPACE, 1);
    };
    const DWORD nFrames = pRenderer->RunFrames(kSpeed, 0, kBarWidth, 0x00336699, 0x00E08020);
    g_fakeDDScript.onCall = nullptr;

    // The frames after the last unchanged look were drawn for the old mode or
    // may have been; the rebuild shows nothing.
    EXPECT_EQ(c.nExpected, nFrames) << c.pszName;
    EXPECT_EQ(4u, FramesOf(0).size()) << c.pszName << ": frames on the old chain, the change noticed after the 4th";
    const bool bChange = c.sign != Sign::SysKey;
    const bool bRebuilt = bChange && c.nFailMs != ~0u;
    const std::vector<FakeDDCall> creations = CallsFrom(nFrom, M::CreateSurface);
    EXPECT_EQ(static_cast<size_t>(nFailedTries + (bRebuilt ? 1 : 0)), creations.size()) << c.pszName;
    EXPECT_EQ(bRebuilt ? 1 : 0, FakeDDCount(M::CreateSurface) - 1 - nFailedTries) << c.pszName << ": chains made";
    EXPECT_EQ(c.sign == Sign::WrongMode ? 1u : 0u, CallsFrom(nFrom, M::Restore).size())
        << c.pszName << ": a lost surface at a new mode is made again, not restored";
    if (bChange)
        EXPECT_EQ(0, FakeDDRefCount(O::Primary, 0)) << c.pszName << ": the old chain is released";
    if (c.nFailMs != 0)
    {
        // A try every 100 ms at the most; a loop that spins makes thousands.
        const DWORD nFor = c.nFailMs == ~0u ? dwFailedFor : c.nFailMs;
        EXPECT_GE(nFailedTries, 2) << c.pszName;
        EXPECT_LE(nFailedTries, static_cast<int>(nFor / 100 + 2)) << c.pszName << ": tries in " << nFor << " ms";
    }

    if (bRebuilt)
    {
        // Laid out for the part of the surface that the monitor shows; the
        // bar keeps its speed, and restarts at the left as 681 no longer fits.
        const std::vector<std::vector<FakeDDCall>> frames = FramesOf(1);
        ASSERT_EQ(2u, frames.size()) << c.pszName;
        const bool bPalette = (g_fakeDDScript.pixelFormat.dwFlags & DDPF_PALETTEINDEXED8) != 0;
        const DWORD dwWhite = bPalette ? 0xFF : 0x00FFFFFF;
        const DWORD dwBack = bPalette ? 0x0A : 0x00996633;
        const DWORD dwBar = bPalette ? 0x0B : 0x002080E0;
        const struct
        {
            RECT rc;
            DWORD dwColor;
        } kExpected[] = {
            {{0, 0, 640, 480}, dwBack}, {{0, 0, 640, 1}, dwWhite}, {{639, 0, 640, 480}, dwWhite},
            {{0, 479, 640, 480}, dwWhite}, {{0, 0, 1, 480}, dwWhite}, {{1, 1, 21, 479}, dwBar},
        };
        for (size_t i = 0; i < 6; ++i)
        {
            EXPECT_EQ(Text(kExpected[i].rc), Text(frames[0][i].rcDest)) << c.pszName << ", fill " << i + 1;
            EXPECT_EQ(Hex(kExpected[i].dwColor), Hex(frames[0][i].dwFillColor)) << c.pszName << ", fill " << i + 1;
        }
        EXPECT_EQ(Text(RECT{171, 1, 191, 479}), Text(frames[1][5].rcDest)) << c.pszName << ": the bar's second frame";
        EXPECT_EQ(640, pRenderer->GetWidth());
        EXPECT_EQ(480, pRenderer->GetHeight());
        RECT rcWindow = {};
        GetWindowRect(hWnd, &rcWindow);
        EXPECT_EQ(Text(kNew), Text(rcWindow)) << c.pszName << ": the test window covers the new rectangle";
        if (bPalette)
        {
            EXPECT_EQ(0, FakeDDRefCount(O::Palette, 0)) << "the old palette is released";
            EXPECT_EQ(2u, CallsFrom(nFrom, M::SetEntries).size()) << "the colours go into the new palette too";
        }
    }

    pRenderer.reset();
    EXPECT_EQ("", FakeDDLeaks()) << c.pszName;
    EXPECT_EQ(0, FakeDDMisuses()) << c.pszName;
}

INSTANTIATE_TEST_SUITE_P(
    Signs, ModeChange,
    ::testing::Values(ModeCase{"WindowsMessage", Sign::Message, {640, 480}, &FakeFormat32, 0, 4},
                      ModeCase{"WindowsWrongMode", Sign::WrongMode, {640, 480}, &FakeFormat32, 0, 4},
                      ModeCase{"WineNewScreenSize", Sign::Size, {800, 600}, &FakeFormat32, 0, 4},
                      ModeCase{"PaletteMadeAgain", Sign::Message, {640, 480}, &FakeFormatPalette8, 0, 4},
                      ModeCase{"RebuildFailsForAWhile", Sign::Message, {640, 480}, &FakeFormat32, 400, 4},
                      ModeCase{"RebuildFailsUntilAKey", Sign::Message, {640, 480}, &FakeFormat32, ~0u, 2},
                      ModeCase{"SysKeyEndsTheRun", Sign::SysKey, {800, 600}, &FakeFormat32, 0, 4}),
    [](const ::testing::TestParamInfo<ModeCase>& info) { return info.param.pszName; });
