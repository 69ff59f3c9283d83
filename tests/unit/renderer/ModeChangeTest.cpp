// A new display mode during a run, against the fake DirectDraw, noticed each
// way it shows; a change elsewhere, a display that keeps losing the flips, and
// a system key, which ends a run.
#include "RendererTestSupport.h"

#include "support/TestText.h"

#include <algorithm>

namespace
{
typedef FakeDDMethod M;

const RECT kSmaller = {0, 0, 640, 480};
const RECT kLarger = {0, 0, 1024, 768};
const DWORD kPastALookMs = 300; // longer than the loop's pause between looks at the monitor
const DWORD kUntilAKey = ~0u;
const DWORD kUntilTheLimit = ~1u;
const DWORD kLimitMs = 300;

// Elsewhere: WM_DISPLAYCHANGE for another monitor. LostFlips: every flip
// lost from the third on, while each restore succeeds.
enum class Sign { Message, WrongMode, Size, SysKey, Elsewhere, LostFlips };

struct ModeCase
{
    const char* pszName;
    Sign sign;
    RECT rcNew;
    SIZE surfaceAfter; // Windows makes surfaces of the new size, Wine of the old
    DDPIXELFORMAT (*pfnFormat)();
    DWORD nFailMs;     // the rebuild fails this long, or until a key or the limit
    DWORD nExpected;   // frames counted
};

// Two frames on the new chain of W x H: the bar goes on at 681, or at 1
// where that no longer fits, and moves 170.
std::vector<std::string> NewFills(int w, int h)
{
    std::vector<std::string> fills;
    DWORD x = 681;
    for (int nFrame = 0; nFrame < 2; ++nFrame)
    {
        if (x + 20 > static_cast<DWORD>(w) - 1)
            x = 1;
        for (const RECT& rc : {RECT{0, 0, w, h}, RECT{0, 0, w, 1}, RECT{w - 1, 0, w, h}, RECT{0, h - 1, w, h},
                               RECT{0, 0, 1, h}, RECT{static_cast<LONG>(x), 1, static_cast<LONG>(x) + 20, h - 1}})
            fills.push_back(ToText(rc));
        x += 170;
    }
    return fills;
}

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
    if (c.nFailMs == kUntilTheLimit)
        pRenderer->SetRebuildLimit(kLimitMs);
    const bool bChange = c.sign != Sign::SysKey && c.sign != Sign::Elsewhere && c.sign != Sign::LostFlips;
    int nOldFlips = 0, nNewFlips = 0, nFailedTries = 0;
    DWORD dwFirstFailure = 0, dwFailedFor = 0;
    g_fakeDDScript.onCall = [&](const FakeDDCall& call) {
        if (call.method == M::Flip && call.nInstance == 0 && ++nOldFlips == 2)
            Sleep(kPastALookMs);
        if (call.method == M::Flip && call.nInstance == 0 && nOldFlips == 3 && c.sign == Sign::LostFlips)
        {
            g_fakeDDScript.flip.hrThen = DDERR_SURFACELOST;
            g_fakeDDScript.restore.hrThen = DD_OK;
        }
        // Flips that never end the frame would never let the key through.
        if (call.method == M::Flip && nOldFlips == 5000)
            g_fakeDDScript.flip.hrThen = DD_OK;
        if (call.method == M::Flip && call.nInstance == 0 && nOldFlips == 3 && bChange)
        {
            m_pMonitor->MoveTo(c.rcNew);
            g_fakeDDScript.surfaceSize = c.surfaceAfter;
            g_fakeDDScript.hrCreateSurface = c.nFailMs != 0 ? DDERR_GENERIC : DD_OK;
            g_fakeDDScript.flip.hrThen = c.sign == Sign::WrongMode ? DDERR_SURFACELOST : DD_OK;
            g_fakeDDScript.restore.hrThen = DDERR_WRONGMODE;
            g_fakeDDScript.dwMonitorFrequency = 75;
        }
        if (call.method == M::Flip && call.nInstance == 0 && nOldFlips == 4)
        {
            if (c.sign == Sign::Message || c.sign == Sign::Elsewhere)
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
            if (c.nFailMs == kUntilAKey && nFailedTries == 3)
                PostMessageW(hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
            // The mouse moves: the tries keep their pace all the same.
            for (int i = 0; c.nFailMs == kUntilTheLimit && i < 3; ++i)
                PostMessageW(hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(10 + i, 10));
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
    const PacingSummary pacing = JudgePacing(pRenderer->GetPacing());
    EXPECT_EQ(nFrames, pacing.nFrames) << c.pszName << ": the pacing record is taken back too";
    const bool bLost = (bChange && c.nFailMs != kUntilTheLimit) || c.sign == Sign::LostFlips;
    EXPECT_EQ(bLost, pacing.dLostSeconds > 0.0)
        << c.pszName << ": time the display was lost, " << pacing.dLostSeconds << " s";
    if (c.sign != Sign::LostFlips)
    {
        EXPECT_EQ((c.sign == Sign::Elsewhere ? 50u : 4u) * 6, FillsOf(0).size())
            << c.pszName << ": the change is noticed after the 4th frame";
    }
    const bool bRebuilt = bChange && c.nFailMs != kUntilAKey && c.nFailMs != kUntilTheLimit;
    EXPECT_EQ(static_cast<size_t>(nFailedTries + (bRebuilt ? 1 : 0)), CallsFrom(nFrom, M::CreateSurface).size())
        << c.pszName << ": the chain is made once";
    const size_t nRestores = CallsFrom(nFrom, M::Restore).size();
    if (c.sign == Sign::LostFlips)
    {
        // One restore a frame, each frame waiting a moment while taking keys.
        EXPECT_GE(nRestores, 2u) << c.pszName;
        EXPECT_LE(CallsFrom(nFrom, M::Flip).size(), 100u) << c.pszName << ": flips before the key ended the run";
    }
    else
    {
        EXPECT_EQ(c.sign == Sign::WrongMode ? 1u : 0u, nRestores)
            << c.pszName << ": surfaces lost to a new mode are made again, not restored";
    }
    EXPECT_EQ(c.nFailMs == kUntilTheLimit, pRenderer->GetFailure().has_value()) << c.pszName;
    if (pRenderer->GetFailure().has_value())
    {
        const std::string strText = Narrow(pRenderer->GetFailure()->strText);
        EXPECT_NE(std::string::npos, strText.find("Creating the primary surface failed: DDERR_GENERIC"))
            << c.pszName << ": the box says " << strText;
        EXPECT_FALSE(pRenderer->IsRunning()) << c.pszName;
    }
    if (c.nFailMs != 0)
    {
        // A try every 100 ms at the most; a loop that spins makes thousands.
        const DWORD nFor = c.nFailMs == kUntilAKey ? dwFailedFor : c.nFailMs == kUntilTheLimit ? kLimitMs : c.nFailMs;
        EXPECT_GE(nFailedTries, 2) << c.pszName;
        EXPECT_LE(nFailedTries, static_cast<int>(nFor / 100 + 2)) << c.pszName << ": tries in " << nFor << " ms";
    }
    // The new mode's refresh is asked for, and its frames judged apart.
    EXPECT_EQ(bRebuilt ? 2u : 1u, pacing.nSegments) << c.pszName;
    EXPECT_EQ(bRebuilt ? 75u : 60u, pacing.aSegments[pacing.nSegments - 1].nGivenHz) << c.pszName;
    if (bRebuilt)
    {
        // Inside the part of the surface that the monitor shows; the bar keeps
        // its speed, and restarts at the left as 681 no longer fits.
        const int w = std::min<int>(c.surfaceAfter.cx, c.rcNew.right - c.rcNew.left);
        const int h = std::min<int>(c.surfaceAfter.cy, c.rcNew.bottom - c.rcNew.top);
        EXPECT_EQ(NewFills(w, h), FillsOf(1)) << c.pszName;
        RECT rcWindow = {};
        GetWindowRect(hWnd, &rcWindow);
        EXPECT_EQ(ToText(c.rcNew), ToText(rcWindow)) << c.pszName << ": the test window covers the new rectangle";
    }
    SIZE shown = {}, screen = {};
    const bool bLess = pRenderer->CoveredLess(shown, screen);
    EXPECT_EQ(bRebuilt && c.surfaceAfter.cx < c.rcNew.right - c.rcNew.left, bLess) << c.pszName;
    if (bLess)
    {
        EXPECT_EQ("800x600 of 1024x768", std::to_string(shown.cx) + "x" + std::to_string(shown.cy) + " of "
                                             + std::to_string(screen.cx) + "x" + std::to_string(screen.cy))
            << c.pszName << ": what the dialog says the picture covered";
    }
    const bool bPalette = c.pfnFormat == &FakeFormatPalette8;
    EXPECT_EQ(bPalette ? 2 : 0, FakeDDCount(M::CreatePalette)) << c.pszName << ": the palette is made again";
    pRenderer.reset();
    EXPECT_EQ("", FakeDDLeaks()) << c.pszName;
    EXPECT_EQ(0, FakeDDMisuses()) << c.pszName;
}

INSTANTIATE_TEST_SUITE_P(
    Signs, ModeChange,
    ::testing::Values(ModeCase{"WindowsMessage", Sign::Message, kSmaller, {640, 480}, &FakeFormat32, 0, 4},
                      ModeCase{"WindowsWrongMode", Sign::WrongMode, kSmaller, {640, 480}, &FakeFormat32, 0, 4},
                      ModeCase{"WineNewScreenSize", Sign::Size, kSmaller, {800, 600}, &FakeFormat32, 0, 4},
                      // Wine keeps the first mode's surfaces: the picture stays 800x600.
                      ModeCase{"WineLargerScreen", Sign::Size, kLarger, {800, 600}, &FakeFormat32, 0, 4},
                      ModeCase{"WindowsLargerScreen", Sign::Message, kLarger, {1024, 768}, &FakeFormat32, 0, 4},
                      ModeCase{"PaletteMadeAgain", Sign::Size, kSmaller, {800, 600}, &FakeFormatPalette8, 0, 4},
                      ModeCase{"RebuildFailsForAWhile", Sign::Message, kSmaller, {640, 480}, &FakeFormat32, 400, 4},
                      ModeCase{"RebuildFailsUntilAKey", Sign::WrongMode, kSmaller, {640, 480}, &FakeFormat32, kUntilAKey, 2},
                      ModeCase{"RebuildFailsUntilTheLimit", Sign::Message, kSmaller, {640, 480}, &FakeFormat32,
                               kUntilTheLimit, 2},
                      ModeCase{"ChangeOnAnotherMonitor", Sign::Elsewhere, kSmaller, {800, 600}, &FakeFormat32, 0, 50},
                      ModeCase{"FlipsLostWhileRestoresWork", Sign::LostFlips, kSmaller, {800, 600}, &FakeFormat32, 0, 3},
                      ModeCase{"SysKeyEndsTheRun", Sign::SysKey, kSmaller, {800, 600}, &FakeFormat32, 0, 4}),
    [](const ::testing::TestParamInfo<ModeCase>& info) { return info.param.pszName; });

// From the third flip on the surfaces are lost and Restore answers
// DDERR_WRONGMODE while the monitor looks as it was: a mode changed and
// changed back between two looks, or another window holding the display.
TEST_F(RendererTest, AWrongModeStretchBringsOneRebuildOnlyWithTheTestWindowInFront)
{
    for (const bool bOtherInFront : {false, true})
    {
        std::unique_ptr<CSweepRenderer> pRenderer = Construct(DeviceOn(RECT{0, 0, 800, 600}));
        ASSERT_TRUE(pRenderer != nullptr);
        const HWND hWnd = pRenderer->GetTestWindow();
        HWND hFront = nullptr;
        DWORD dwWrongSince = 0;
        g_fakeDDScript.onCall = [&](const FakeDDCall& call) {
            if (call.method == M::Flip && FakeDDCount(M::Flip) == 3)
            {
                g_fakeDDScript.flip.hrThen = DDERR_SURFACELOST;
                g_fakeDDScript.restore.hrThen = DDERR_WRONGMODE;
                dwWrongSince = GetTickCount();
                if (bOtherInFront)
                    hFront = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 9, 9,
                                             nullptr, nullptr, nullptr, nullptr);
                SetForegroundWindow(bOtherInFront ? hFront : hWnd);
            }
            if (call.method == M::CreateSurface)
                g_fakeDDScript.flip.hrThen = DD_OK;
            // A frame on the new chain, or twice the stretch that brings a rebuild.
            if ((call.method == M::Flip && call.nInstance == 1)
                || (call.method == M::Restore && GetTickCount() - dwWrongSince >= 2000))
                PostMessageW(hWnd, WM_KEYDOWN, VK_SPACE, 1);
        };
        const size_t nFrom = FakeDDCalls().size();
        pRenderer->RunFrames(1, 0, 20, 0, 0x00FFFFFF);
        g_fakeDDScript.onCall = nullptr;
        const char* pszCase = bOtherInFront ? "another window in front" : "the mode changed back";
        EXPECT_EQ(bOtherInFront ? 0u : 1u, CallsFrom(nFrom, M::CreateSurface).size()) << pszCase << ": rebuilds";
        EXPECT_GE(JudgePacing(pRenderer->GetPacing()).dLostSeconds, 1.0) << pszCase << ": seconds lost";
        EXPECT_FALSE(pRenderer->GetFailure().has_value()) << pszCase;
        if (hFront != nullptr)
            DestroyWindow(hFront);
        pRenderer.reset();
        EXPECT_EQ("", FakeDDLeaks()) << pszCase;
        ResetFakeDirectDraw();
    }
}
