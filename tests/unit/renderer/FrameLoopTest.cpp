// The frame loop against the fake DirectDraw: what every frame fills, where
// the bar stands, flips and lost surfaces, and the loop's own message pump.
#include "RendererTestSupport.h"

#include <algorithm>

#include "support/HeldKeys.h"
#include "support/TestText.h"

namespace
{
typedef FakeDDMethod M;

const RECT k640 = {0, 0, 640, 480};
const DWORD kFillAsync = 0x600;
const DWORD kFillWait = 0x1000400;

std::string Text(const RECT& rc)
{
    return "(" + std::to_string(rc.left) + ", " + std::to_string(rc.top) + ", " + std::to_string(rc.right) + ", "
        + std::to_string(rc.bottom) + ")";
}

// The fills of each frame, split at each frame's first flip.
std::vector<std::vector<FakeDDCall>> FillsByFrame(size_t nFrom)
{
    std::vector<std::vector<FakeDDCall>> frames(1);
    const std::vector<FakeDDCall>& all = FakeDDCalls();
    bool bFlipped = false;
    for (size_t i = nFrom; i < all.size(); ++i)
    {
        if (all[i].method == M::Blt)
        {
            if (bFlipped)
                frames.emplace_back();
            bFlipped = false;
            frames.back().push_back(all[i]);
        }
        else if (all[i].method == M::Flip)
        {
            bFlipped = true;
        }
    }
    if (frames.back().empty())
        frames.pop_back();
    return frames;
}

std::vector<DWORD> BarPositionsFrom(size_t nFrom)
{
    std::vector<DWORD> positions;
    for (const std::vector<FakeDDCall>& frame : FillsByFrame(nFrom))
        positions.push_back(frame.size() == 6 ? static_cast<DWORD>(frame[5].rcDest.left) : 0xFFFFFFFF);
    return positions;
}
}

class FrameLoopTest : public RendererTest
{
protected:
    void Open(const RECT& rcScreen)
    {
        m_pRenderer = Construct(DeviceOn(rcScreen));
        ASSERT_TRUE(m_pRenderer != nullptr);
        m_hWnd = m_pRenderer->GetTestWindow();
        TakeQueued(m_hWnd);
        m_nFrom = FakeDDCalls().size();
    }
    void TearDown() override
    {
        m_pRenderer.reset();
        RendererTest::TearDown();
    }

    // Runs until the key-down that the fake posts during the given flip.
    DWORD RunUntilFlip(int nFlip, DWORD nMultiplier, DWORD nDivider, DWORD nBarWidth, DWORD crBackground = 0,
                       DWORD crBar = 0)
    {
        g_fakeDDScript.nKeyDownAtFlip = nFlip;
        return m_pRenderer->RunFrames(nMultiplier, nDivider, nBarWidth, crBackground, crBar);
    }

    std::unique_ptr<CSweepRenderer> m_pRenderer;
    HWND m_hWnd = nullptr;
    size_t m_nFrom = 0;
};

TEST(ScaleComponent, PlacesTheComponentsTopBitsInTheField)
{
    struct Case
    {
        DWORD nValue, dwMask, dwExpected;
    };
    const Case kCases[] = {
        {255, 0xF800, 0xF800},      {0x84, 0xF800, 0x8000},          {0x12, 0x00FF0000, 0x00120000},
        {255, 0x3FF00000, 0x3FC00000}, {0x1234, 0xFF, 0x34},         {0x99, 0x07E0, 0x04C0},
        {255, 0, 0},                {0xFF, 0x80000000, 0x80000000}, {0x80, 0x1, 0x1},
        {0x7F, 0x1, 0x0},
    };
    for (const Case& c : kCases)
        EXPECT_EQ(Hex(c.dwExpected), Hex(CSweepRenderer::ScaleComponent(c.nValue, c.dwMask)))
            << "ScaleComponent(" << Hex(c.nValue) << ", " << Hex(c.dwMask) << ")";
}

struct PositionCase
{
    const char* pszName;
    DWORD nMultiplier, nDivider, nBarWidth;
    std::vector<DWORD> expected; // the bar's x in the first frames
};

class BarPositions : public FrameLoopTest, public ::testing::WithParamInterface<PositionCase>
{
};

TEST_P(BarPositions, FollowTheSpeedSettings)
{
    const PositionCase& c = GetParam();
    Open(k640);
    const int nFrames = static_cast<int>(c.expected.size());
    EXPECT_EQ(static_cast<DWORD>(nFrames), RunUntilFlip(nFrames, c.nMultiplier, c.nDivider, c.nBarWidth));
    const std::vector<DWORD> got = BarPositionsFrom(m_nFrom);
    ASSERT_EQ(c.expected.size(), got.size());
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(c.expected[i], got[i]) << c.pszName << ": x of frame " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Speeds, BarPositions,
    ::testing::Values(PositionCase{"Multiplier3", 3, 0, 20, {1, 4, 7, 10, 13}},
                      PositionCase{"Multiplier3IgnoresDivider", 3, 5, 20, {1, 4, 7, 10, 13}},
                      PositionCase{"Divider4", 0, 4, 20, {1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4}},
                      PositionCase{"Divider1", 0, 1, 20, {1, 2, 3, 4, 5}},
                      PositionCase{"Multiplier1", 1, 0, 20, {1, 2, 3, 4, 5}},
                      PositionCase{"BothZeroStandStill", 0, 0, 20, {1, 1, 1, 1, 1}},
                      PositionCase{"Multiplier100Wraps", 100, 0, 20, {1, 101, 201, 301, 401, 501, 601, 1, 101}}),
    [](const ::testing::TestParamInfo<PositionCase>& info) { return info.param.pszName; });

TEST_F(FrameLoopTest, TheBarWrapsAfter619AtWidth640AndNeverCoversTheRightColumn)
{
    Open(k640);
    ASSERT_EQ(622u, RunUntilFlip(622, 1, 0, 20));
    const std::vector<std::vector<FakeDDCall>> frames = FillsByFrame(m_nFrom);
    ASSERT_EQ(622u, frames.size());
    for (size_t i = 0; i < 619; ++i)
        ASSERT_EQ(static_cast<LONG>(i + 1), frames[i][5].rcDest.left) << "frame " << i;
    EXPECT_EQ(639, frames[618][5].rcDest.right) << "at x = 619 the bar ends before column 639";
    EXPECT_EQ(1, frames[619][5].rcDest.left) << "after 619 the bar starts again at 1";
    EXPECT_EQ(2, frames[620][5].rcDest.left);
    EXPECT_EQ(3, frames[621][5].rcDest.left);
}

TEST_F(FrameLoopTest, ABarTooWideForTheScreenIsClampedAndStandsAt1)
{
    const DWORD kWidths[] = {638, 639, 5000};
    for (DWORD nWidth : kWidths)
    {
        m_pRenderer.reset();
        ResetFakeDirectDraw();
        Open(k640);
        ASSERT_EQ(3u, RunUntilFlip(3, 7, 0, nWidth)) << "width " << nWidth;
        for (const std::vector<FakeDDCall>& frame : FillsByFrame(m_nFrom))
        {
            ASSERT_EQ(6u, frame.size());
            EXPECT_EQ(1, frame[5].rcDest.left) << "width " << nWidth;
            EXPECT_EQ(639, frame[5].rcDest.right) << "width " << nWidth;
        }
    }
}

struct FormatCase
{
    const char* pszName;
    DDPIXELFORMAT (*pfnFormat)();
    HRESULT hrGetPixelFormat;
    DWORD crBackground, crBar;
    DWORD dwWhite, dwBackground, dwBar;
};

class FrameFills : public FrameLoopTest, public ::testing::WithParamInterface<FormatCase>
{
};

TEST_P(FrameFills, AreSixInOrderWithExactRectanglesAndPixelValues)
{
    const FormatCase& c = GetParam();
    g_fakeDDScript.pixelFormat = c.pfnFormat();
    g_fakeDDScript.hrGetPixelFormat = c.hrGetPixelFormat;
    Open(k640);
    ASSERT_EQ(2u, RunUntilFlip(2, 5, 0, 30, c.crBackground, c.crBar));

    const std::vector<FakeDDCall> formats = CallsFrom(m_nFrom, M::GetPixelFormat);
    ASSERT_EQ(1u, formats.size()) << "the format is asked once per run";
    EXPECT_EQ(FakeDDObjectName(FakeDDObject::BackBuffer), std::string(FakeDDObjectName(formats[0].object)));
    EXPECT_EQ(kPixelFormatSize, formats[0].dwSize);

    const std::vector<std::vector<FakeDDCall>> frames = FillsByFrame(m_nFrom);
    ASSERT_EQ(2u, frames.size());
    for (size_t f = 0; f < frames.size(); ++f)
    {
        const LONG x = f == 0 ? 1 : 6;
        const struct
        {
            RECT rc;
            DWORD dwColor;
        } kExpected[] = {
            {{0, 0, 640, 480}, c.dwBackground}, {{0, 0, 640, 1}, c.dwWhite},   {{639, 0, 640, 480}, c.dwWhite},
            {{0, 479, 640, 480}, c.dwWhite},    {{0, 0, 1, 480}, c.dwWhite},    {{x, 1, x + 30, 479}, c.dwBar},
        };
        ASSERT_EQ(6u, frames[f].size()) << FakeDDDescribe(frames[f]);
        for (size_t i = 0; i < 6; ++i)
        {
            const FakeDDCall& blt = frames[f][i];
            const std::string where = std::string(c.pszName) + ", frame " + std::to_string(f) + ", fill "
                + std::to_string(i + 1);
            EXPECT_EQ(FakeDDObjectName(FakeDDObject::BackBuffer), std::string(FakeDDObjectName(blt.object))) << where;
            EXPECT_TRUE(blt.bDestRect) << where;
            EXPECT_EQ(Text(kExpected[i].rc), Text(blt.rcDest)) << where;
            EXPECT_EQ(Hex(kExpected[i].dwColor), Hex(blt.dwFillColor)) << where;
            EXPECT_EQ(Hex(kFillAsync), Hex(blt.dwFlags)) << where;
            EXPECT_EQ(nullptr, blt.pSource) << where;
            EXPECT_FALSE(blt.bSourceRect) << where;
            EXPECT_EQ(kBltFxSize, blt.dwSize) << where;
            EXPECT_TRUE(blt.bOtherFxZero) << where;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FrameFills,
    ::testing::Values(FormatCase{"Rgb565", &FakeFormat565, DD_OK, 0x00336699, 0x0000FF00, 0xFFFF, 0x9B26, 0x07E0},
                      FormatCase{"Rgb32", &FakeFormat32, DD_OK, 0x00336699, 0x00E08020, 0x00FFFFFF, 0x00996633,
                                 0x002080E0},
                      FormatCase{"TopByteIgnored", &FakeFormat32, DD_OK, 0xAB336699, 0xCDE08020, 0x00FFFFFF,
                                 0x00996633, 0x002080E0},
                      // Indices: white at 255, the background and the bar at 10 and 11.
                      FormatCase{"Palette8UsesIndices", &FakeFormatPalette8, DD_OK, 0x00336699, 0x00FFFFFF, 0xFF, 0x0A,
                                 0x0B},
                      FormatCase{"FailedFormatQuery", &FakeFormat32, DDERR_GENERIC, 0x00336699, 0x00FFFFFF, 0, 0,
                                 0}),
    [](const ::testing::TestParamInfo<FormatCase>& info) { return info.param.pszName; });

std::string Text(const PALETTEENTRY& entry)
{
    return "(" + std::to_string(entry.peRed) + ", " + std::to_string(entry.peGreen) + ", "
        + std::to_string(entry.peBlue) + ", flags " + std::to_string(entry.peFlags) + ")";
}

TEST_F(FrameLoopTest, APaletteDisplayGetsAPaletteHoldingTheColoursBehindTheIndices)
{
    g_fakeDDScript.pixelFormat = FakeFormatPalette8();
    Open(k640);
    const std::vector<FakeDDCall> creations = FakeDDCallsOf(M::CreatePalette);
    ASSERT_EQ(1u, creations.size());
    EXPECT_EQ(Hex(DDPCAPS_8BIT | DDPCAPS_ALLOW256), Hex(creations[0].dwFlags));
    EXPECT_EQ(nullptr, creations[0].pOuter);
    const std::vector<FakeDDCall> attached = FakeDDCallsOf(M::SetPalette);
    ASSERT_EQ(1u, attached.size());
    EXPECT_EQ(FakeDDObjectName(FakeDDObject::Primary), std::string(FakeDDObjectName(attached[0].object)));
    EXPECT_TRUE(attached[0].pPalette != nullptr && attached[0].pPalette == FakeDDAttachedPalette());

    // Windows' static colours keep their places, black and white at the ends.
    PALETTEENTRY statics[20] = {};
    ASSERT_EQ(20u, GetPaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0, 20, statics));
    std::vector<PALETTEENTRY> entries = FakeDDPaletteEntries();
    ASSERT_EQ(256u, entries.size());
    EXPECT_EQ(Text(PALETTEENTRY{0, 0, 0, 0}), Text(entries[0]));
    EXPECT_EQ(Text(PALETTEENTRY{255, 255, 255, 0}), Text(entries[255]));
    for (int i = 1; i < 10; ++i)
    {
        EXPECT_EQ(Text(statics[i]), Text(entries[i])) << "entry " << i;
        EXPECT_EQ(Text(statics[10 + i - 1]), Text(entries[246 + i - 1])) << "entry " << 246 + i - 1;
    }

    ASSERT_EQ(2u, RunUntilFlip(2, 1, 0, 30, 0x00336699, 0x00E08020));
    const std::vector<FakeDDCall> sets = CallsFrom(m_nFrom, M::SetEntries);
    ASSERT_EQ(1u, sets.size()) << "the colours are set once per run";
    EXPECT_EQ(0u, sets[0].dwFlags);
    EXPECT_EQ(10u, sets[0].dwStart);
    EXPECT_EQ(2u, sets[0].dwCount);
    size_t nSet = 0, nFirstFill = 0;
    for (size_t i = m_nFrom; i < FakeDDCalls().size(); ++i)
    {
        if (FakeDDCalls()[i].method == M::SetEntries)
            nSet = i;
        if (FakeDDCalls()[i].method == M::Blt && nFirstFill == 0)
            nFirstFill = i;
    }
    EXPECT_LT(nSet, nFirstFill) << "the colours are in place before the first frame";
    entries = FakeDDPaletteEntries();
    EXPECT_EQ(Text(PALETTEENTRY{0x99, 0x66, 0x33, 0}), Text(entries[10])) << "the background";
    EXPECT_EQ(Text(PALETTEENTRY{0x20, 0x80, 0xE0, 0}), Text(entries[11])) << "the bar";
    EXPECT_EQ(Text(PALETTEENTRY{255, 255, 255, 0}), Text(entries[255])) << "the frame";

    const size_t nBefore = FakeDDCalls().size();
    m_pRenderer.reset();
    // The primary surface gives up its hold on the palette with its last release.
    ExpectSteps(nBefore, {{M::Release, FakeDDObject::Palette, 1},
                          {M::Release, FakeDDObject::Primary, 0},
                          {M::Release, FakeDDObject::Palette, 0},
                          {M::Release, FakeDDObject::DirectDraw2, 0}},
                "release");
    EXPECT_EQ("", FakeDDLeaks());
    EXPECT_EQ(0, FakeDDMisuses());
}

TEST_F(FrameLoopTest, AnRgbDisplayGetsNoPalette)
{
    DDPIXELFORMAT (*const kFormats[])() = {&FakeFormat565, &FakeFormat32};
    for (DDPIXELFORMAT (*pfnFormat)() : kFormats)
    {
        m_pRenderer.reset();
        ResetFakeDirectDraw();
        g_fakeDDScript.pixelFormat = pfnFormat();
        Open(k640);
        EXPECT_EQ(0, FakeDDCount(M::CreatePalette)) << g_fakeDDScript.pixelFormat.dwRGBBitCount << " bits";
        EXPECT_EQ(0, FakeDDCount(M::SetPalette));
    }
}

TEST_F(FrameLoopTest, FillRectRetriesARefusedAsyncFillOnceWithWait)
{
    Open(k640);
    struct Case
    {
        HRESULT hrAsync, hrWait;
        size_t nCalls;
        HRESULT hrExpected;
    };
    const Case kCases[] = {
        {DD_OK, DD_OK, 1, DD_OK},
        {DDERR_WASSTILLDRAWING, DD_OK, 2, DD_OK},
        {DDERR_GENERIC, DDERR_SURFACELOST, 2, DDERR_SURFACELOST},
    };
    for (const Case& c : kCases)
    {
        g_fakeDDScript.blt = FakeResults();
        g_fakeDDScript.blt.next = {c.hrAsync, c.hrWait};
        const size_t nFrom = FakeDDCalls().size();
        RECT rc = {3, 4, 50, 60};
        const HRESULT hr = m_pRenderer->FillRect(&rc, 0x1234);
        EXPECT_EQ(Hex(static_cast<DWORD>(c.hrExpected)), Hex(static_cast<DWORD>(hr)))
            << "async answered " << Hex(static_cast<DWORD>(c.hrAsync));
        const std::vector<FakeDDCall> blts = CallsFrom(nFrom, M::Blt);
        ASSERT_EQ(c.nCalls, blts.size()) << "async answered " << Hex(static_cast<DWORD>(c.hrAsync));
        EXPECT_EQ(Hex(kFillAsync), Hex(blts[0].dwFlags));
        if (c.nCalls == 2)
        {
            EXPECT_EQ(Hex(kFillWait), Hex(blts[1].dwFlags));
            EXPECT_EQ(Text(rc), Text(blts[1].rcDest));
            EXPECT_EQ(Hex(0x1234), Hex(blts[1].dwFillColor));
            EXPECT_EQ(kBltFxSize, blts[1].dwSize);
        }
    }
}

TEST_F(FrameLoopTest, ARefusedFillInTheLoopIsRetriedWithWait)
{
    g_fakeDDScript.blt.next = {DD_OK, DDERR_WASSTILLDRAWING};
    Open(k640);
    ASSERT_EQ(1u, RunUntilFlip(1, 1, 0, 10, 0x00336699, 0));
    const std::vector<FakeDDCall> blts = CallsFrom(m_nFrom, M::Blt);
    ASSERT_EQ(7u, blts.size()) << FakeDDDescribe(blts);
    EXPECT_EQ(Hex(kFillAsync), Hex(blts[1].dwFlags));
    EXPECT_EQ(Hex(kFillWait), Hex(blts[2].dwFlags));
    EXPECT_EQ(Text(blts[1].rcDest), Text(blts[2].rcDest));
    EXPECT_EQ(Hex(kFillAsync), Hex(blts[3].dwFlags)) << "the next fill is tried async again";
}

struct FlipCase
{
    const char* pszName;
    std::vector<HRESULT> flips;
    HRESULT hrFlipThen;
    std::vector<HRESULT> restores;
    HRESULT hrRestoreThen;
    int nKeyAtFlip;
    DWORD nDrawn;           // frames filled
    DWORD nExpectedFrames;  // frames whose flip reached the screen
    std::vector<FakeDDMethod> expected; // flips and restores, in order
};

class Flips : public FrameLoopTest, public ::testing::WithParamInterface<FlipCase>
{
};

TEST_P(Flips, RestoreALostSurfaceAndCountOnlyTheFramesShown)
{
    const FlipCase& c = GetParam();
    g_fakeDDScript.flip.next = c.flips;
    g_fakeDDScript.flip.hrThen = c.hrFlipThen;
    g_fakeDDScript.restore.next = c.restores;
    g_fakeDDScript.restore.hrThen = c.hrRestoreThen;
    Open(k640);
    EXPECT_EQ(c.nExpectedFrames, RunUntilFlip(c.nKeyAtFlip, 1, 0, 10)) << c.pszName;

    std::vector<FakeDDCall> got;
    for (size_t i = m_nFrom; i < FakeDDCalls().size(); ++i)
    {
        const FakeDDCall& call = FakeDDCalls()[i];
        if (call.method == M::Flip || call.method == M::Restore)
            got.push_back(call);
    }
    ASSERT_EQ(c.expected.size(), got.size()) << c.pszName << "\n" << FakeDDDescribe(got);
    for (size_t i = 0; i < got.size(); ++i)
    {
        EXPECT_EQ(FakeDDMethodName(c.expected[i]), std::string(FakeDDMethodName(got[i].method))) << c.pszName << " " << i;
        EXPECT_EQ(FakeDDObjectName(FakeDDObject::Primary), std::string(FakeDDObjectName(got[i].object)));
        if (got[i].method == M::Flip)
        {
            EXPECT_EQ(nullptr, got[i].pSource) << "no target override";
            EXPECT_EQ(Hex(DDFLIP_WAIT), Hex(got[i].dwFlags));
        }
    }
    EXPECT_EQ(6u * c.nDrawn, CallsFrom(m_nFrom, M::Blt).size()) << c.pszName << ": six fills per frame drawn";
    EXPECT_EQ(c.nExpectedFrames, m_pRenderer->GetPacing().Frames()) << c.pszName << ": frames timed";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Flips,
    ::testing::Values(
        FlipCase{"Plain", {}, DD_OK, {}, DD_OK, 3, 3, 3, {M::Flip, M::Flip, M::Flip}},
        FlipCase{"LostThenRestored", {DDERR_SURFACELOST}, DD_OK, {DD_OK}, DD_OK, 2, 1, 1, {M::Flip, M::Restore, M::Flip}},
        // Lost again after a restore that worked: the frame gives up its flip
        // and waits (taking keys) for the display; the next is drawn afresh.
        FlipCase{"LostAgainAfterARestore",
                 {DDERR_SURFACELOST, DDERR_SURFACELOST},
                 DD_OK,
                 {},
                 DD_OK,
                 3,
                 2,
                 1,
                 {M::Flip, M::Restore, M::Flip, M::Restore, M::Flip}},
        // The frame whose flip was lost is not shown and doesn't count; once
        // the surfaces are back, the next frame is drawn afresh.
        FlipCase{"RestoredOnlyAtTheThirdTry",
                 {DDERR_SURFACELOST},
                 DD_OK,
                 {DDERR_WRONGMODE, DDERR_WRONGMODE},
                 DD_OK,
                 3,
                 3,
                 2,
                 {M::Flip, M::Restore, M::Restore, M::Restore, M::Flip, M::Flip}},
        FlipCase{"RestoredButLostAgain",
                 {DDERR_SURFACELOST, DDERR_SURFACELOST},
                 DD_OK,
                 {DD_OK, DDERR_WRONGMODE},
                 DD_OK,
                 3,
                 2,
                 1,
                 {M::Flip, M::Restore, M::Flip, M::Restore, M::Restore, M::Flip}},
        // A flip that fails otherwise is waited out as a lost display is,
        // until the surfaces restore; the key of the last frame ends the wait.
        FlipCase{"OtherErrorIsNotCounted", {DDERR_GENERIC}, DD_OK, {}, DD_OK, 3, 3, 2,
                 {M::Flip, M::Restore, M::Flip, M::Flip}},
        FlipCase{"NoFlipEverShown", {}, DDERR_GENERIC, {}, DD_OK, 2, 2, 0, {M::Flip, M::Restore, M::Flip}}),
    [](const ::testing::TestParamInfo<FlipCase>& info) { return info.param.pszName; });

TEST_F(FrameLoopTest, WhileTheDisplayIsLostTheLoopWaitsInsteadOfSpinning)
{
    // Lost for a stretch of real time, as while another program is in front;
    // then the display is given back and a key comes with the first frame shown.
    const DWORD kLostMs = 400;
    g_fakeDDScript.flip.hrThen = DDERR_SURFACELOST;
    g_fakeDDScript.restore.hrThen = DDERR_WRONGMODE;
    bool bLost = false;
    DWORD dwLostSince = 0;
    int nFailedRestores = 0;
    g_fakeDDScript.onCall = [&](const FakeDDCall& call) {
        if (call.method == M::Restore && call.hr != DD_OK)
        {
            if (!bLost)
                dwLostSince = GetTickCount();
            bLost = true;
            ++nFailedRestores;
            if (GetTickCount() - dwLostSince >= kLostMs)
            {
                g_fakeDDScript.restore.hrThen = DD_OK;
                g_fakeDDScript.flip.hrThen = DD_OK;
            }
        }
        if (call.method == M::Flip && call.hr == DD_OK)
            PostMessageW(m_hWnd, WM_KEYDOWN, VK_SPACE, 0);
    };
    Open(k640);
    const DWORD nFrames = m_pRenderer->RunFrames(1, 0, 10, 0, 0);
    g_fakeDDScript.onCall = nullptr;

    EXPECT_EQ(1u, nFrames) << "only the frame after the display came back was shown";
    const double dLost = JudgePacing(m_pRenderer->GetPacing()).dLostSeconds;
    EXPECT_GE(dLost, kLostMs / 1000.0 - 0.02) << "seconds lost";
    EXPECT_LE(dLost, kLostMs / 1000.0 + 0.5) << "seconds lost";
    // A try every 10 ms at the most; a loop that spins makes thousands.
    EXPECT_GE(nFailedRestores, 2);
    EXPECT_LE(nFailedRestores, static_cast<int>(kLostMs / 10 + 2)) << "tries to restore in " << kLostMs << " ms lost";
    // Nothing is drawn while lost: the lost frame, then straight after the
    // restore the frame that is shown.
    std::vector<FakeDDMethod> got;
    for (size_t i = m_nFrom; i < FakeDDCalls().size(); ++i)
    {
        const FakeDDMethod method = FakeDDCalls()[i].method;
        if (method == M::Blt || method == M::Flip || method == M::Restore)
            if (got.empty() || got.back() != method || method != M::Restore)
                got.push_back(method);
    }
    const std::vector<FakeDDMethod> expected = {M::Blt, M::Blt, M::Blt, M::Blt, M::Blt,  M::Blt, M::Flip,
                                                M::Restore, M::Blt, M::Blt, M::Blt, M::Blt, M::Blt, M::Blt,
                                                M::Flip};
    ASSERT_EQ(expected.size(), got.size()) << FakeDDDescribe(CallsFrom(m_nFrom, M::Flip));
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(FakeDDMethodName(expected[i]), std::string(FakeDDMethodName(got[i]))) << "call " << i;
}

TEST_F(FrameLoopTest, AFlipThatKeepsFailingIsWaitedOutAsALostDisplay)
{
    // Refused for a stretch of real time with something other than a lost
    // surface; then the flips go through and a key comes with the first.
    const DWORD kFailingMs = 300;
    g_fakeDDScript.flip.hrThen = DDERR_GENERIC;
    DWORD dwFailingSince = 0;
    g_fakeDDScript.onCall = [&](const FakeDDCall& call) {
        if (call.method != M::Flip)
            return;
        if (dwFailingSince == 0)
            dwFailingSince = GetTickCount();
        if (call.hr == DD_OK)
            PostMessageW(m_hWnd, WM_KEYDOWN, VK_SPACE, 0);
        else if (GetTickCount() - dwFailingSince >= kFailingMs)
            g_fakeDDScript.flip.hrThen = DD_OK;
    };
    Open(k640);
    LARGE_INTEGER frequency, from, to;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&from);
    EXPECT_EQ(1u, m_pRenderer->RunFrames(1, 0, 10, 0, 0));
    QueryPerformanceCounter(&to);
    const double dRunSeconds = static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
    g_fakeDDScript.onCall = nullptr;
    const size_t nFlips = CallsFrom(m_nFrom, M::Flip).size();
    EXPECT_GE(nFlips, 3u);
    EXPECT_LE(nFlips, kFailingMs / 10 + 3) << "flips tried in " << kFailingMs << " ms of failures";
    // Each failed flip waits as for a lost display; what lies between two
    // waits (the fills, the next flip) is not lost time, and a busy machine
    // makes it longer, so only half of the stretch is sure to count.
    const double dLost = JudgePacing(m_pRenderer->GetPacing()).dLostSeconds;
    EXPECT_GE(dLost, kFailingMs / 2000.0) << "seconds lost";
    EXPECT_LE(dLost, dRunSeconds) << "seconds lost, against the run's " << dRunSeconds << " s";
}

TEST_F(FrameLoopTest, AKeyEndsTheRunWhileTheDisplayIsLost)
{
    g_fakeDDScript.flip.hrThen = DDERR_SURFACELOST;
    g_fakeDDScript.restore.hrThen = DDERR_WRONGMODE;
    Open(k640);
    g_fakeDDScript.onCall = [&](const FakeDDCall& call) {
        if (call.method == M::Restore && FakeDDCount(M::Restore) == 3)
            PostMessageW(m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
    };
    EXPECT_EQ(0u, m_pRenderer->RunFrames(1, 0, 10, 0, 0)) << "no frame reached the screen";
    g_fakeDDScript.onCall = nullptr;
    EXPECT_EQ(3u, CallsFrom(m_nFrom, M::Restore).size()) << "the key was taken during the wait after the third try";
    EXPECT_EQ(1u, CallsFrom(m_nFrom, M::Flip).size());
}

TEST_F(FrameLoopTest, TheDisplaysRefreshIsAskedOnceBeforeTheFirstFrame)
{
    const struct
    {
        HRESULT hr;
        DWORD dwAnswer, nKept;
    } kCases[] = {{DD_OK, 75, 75}, {DD_OK, 1, 0}, {DD_OK, 1001, 0}, {DDERR_UNSUPPORTED, 75, 0}};
    for (const auto& c : kCases)
    {
        m_pRenderer.reset();
        ResetFakeDirectDraw();
        g_fakeDDScript.hrGetMonitorFrequency = c.hr;
        g_fakeDDScript.dwMonitorFrequency = c.dwAnswer;
        Open(k640);
        ASSERT_EQ(3u, RunUntilFlip(3, 1, 0, 10));
        const std::string strCase = Hex(static_cast<DWORD>(c.hr)) + " with " + std::to_string(c.dwAnswer);
        std::vector<FakeDDMethod> got;
        for (size_t i = m_nFrom; i < FakeDDCalls().size() && FakeDDCalls()[i].method != M::Blt; ++i)
            got.push_back(FakeDDCalls()[i].method);
        EXPECT_EQ(1, std::count(got.begin(), got.end(), M::GetMonitorFrequency)) << strCase << ": before the fills";
        EXPECT_EQ(1, FakeDDCount(M::GetMonitorFrequency)) << strCase;
        EXPECT_EQ(c.nKept, m_pRenderer->GetPacing().SegmentHz(0)) << strCase;
    }
}

struct KeyDown
{
    WPARAM wKey;
    bool bRepeat; // the previous-state bit (30) of lParam
    UINT uMsg = WM_KEYDOWN;
};

struct HeldKeyCase
{
    const char* pszName;
    std::vector<BYTE> held; // down when the run begins
    std::vector<KeyDown> keys; // queued before the run
    DWORD nExpectedFrames;     // the fake presses a fresh key during flip 3
};

class HeldKeyDowns : public FrameLoopTest, public ::testing::WithParamInterface<HeldKeyCase>
{
};

TEST_P(HeldKeyDowns, EndTheRunOnlyWhenPressedAgain)
{
    const HeldKeyCase& c = GetParam();
    Open(k640);
    const HeldKeys held(c.held);
    for (const KeyDown& key : c.keys)
    {
        const LPARAM lParam = key.bRepeat ? kKeyRepeated : kKeyPressed;
        PostMessageW(m_hWnd, key.uMsg, key.wKey, lParam);
    }
    EXPECT_EQ(c.nExpectedFrames, RunUntilFlip(3, 1, 0, 10)) << c.pszName;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, HeldKeyDowns,
    ::testing::Values(
        HeldKeyCase{"RepeatsOfAKeyHeldBeforeTheRunAreNoPress", {VK_RETURN}, {{VK_RETURN, true}, {VK_RETURN, true}}, 3},
        HeldKeyCase{"AHeldKeyLetGoAndPressedAgainEndsIt", {VK_RETURN}, {{VK_RETURN, true}, {VK_RETURN, false}}, 1},
        HeldKeyCase{"ARepeatOfAKeyPressedDuringTheRunEndsIt", {VK_RETURN}, {{VK_RETURN, true}, {VK_ESCAPE, true}}, 1},
        HeldKeyCase{"WithNothingHeldARepeatEndsIt", {}, {{VK_RETURN, true}}, 1},
        HeldKeyCase{"AnotherKeyPressedWhileOneIsHeldEndsIt", {VK_RETURN}, {{'A', false}}, 1},
        // Alt and F10 come as system keys, under the same rule.
        HeldKeyCase{"RepeatsOfAltHeldBeforeTheRunAreNoPress", {VK_MENU}, {{VK_MENU, true, WM_SYSKEYDOWN}}, 3},
        HeldKeyCase{"F10EndsIt", {}, {{VK_F10, false, WM_SYSKEYDOWN}}, 1},
        HeldKeyCase{"AltPressedAgainEndsIt", {VK_MENU}, {{VK_MENU, true, WM_SYSKEYDOWN}, {VK_MENU, false, WM_SYSKEYDOWN}}, 1}),
    [](const ::testing::TestParamInfo<HeldKeyCase>& info) { return info.param.pszName; });

TEST_F(FrameLoopTest, AKeyDownQueuedBeforeTheCallStillGivesOneFrame)
{
    Open(k640);
    PostMessageW(m_hWnd, WM_KEYDOWN, VK_F5, 0);
    EXPECT_EQ(1u, m_pRenderer->RunFrames(1, 0, 10, 0, 0));
    EXPECT_EQ(6u, CallsFrom(m_nFrom, M::Blt).size());
    EXPECT_EQ(1u, CallsFrom(m_nFrom, M::Flip).size());
}

TEST_F(FrameLoopTest, AFlagAlreadyClearGivesZeroWithNothingDrawn)
{
    Open(k640);
    SendMessageW(m_hWnd, WM_KEYDOWN, VK_F5, 0);
    ASSERT_FALSE(m_pRenderer->IsRunning());
    EXPECT_EQ(0u, m_pRenderer->RunFrames(1, 0, 10, 0, 0));
    EXPECT_EQ(0u, CallsFrom(m_nFrom, M::Blt).size());
    EXPECT_EQ(0u, CallsFrom(m_nFrom, M::Flip).size());
}

class PumpDropsOther : public FrameLoopTest, public ::testing::WithParamInterface<UINT>
{
};

TEST_P(PumpDropsOther, AndEndsThePumpUntilTheNextFrame)
{
    Open(k640);
    PostMessageW(m_hWnd, GetParam(), 'A', 0);
    PostMessageW(m_hWnd, WM_KEYDOWN, VK_F5, 0);
    // The first pump takes and drops the other message and stops; the second
    // dispatches the key-down.
    EXPECT_EQ(2u, m_pRenderer->RunFrames(1, 0, 10, 0, 0)) << "message " << Hex(GetParam());
    // The WM_CLOSE that the key-down posted is dropped by the same pump. (A
    // WM_PAINT that Wine makes up for the window may still come out here.)
    const std::vector<MSG> left = TakeQueued(m_hWnd);
    EXPECT_EQ(0, CountMessages(left, GetParam(), 'A')) << "the other message was left queued";
    EXPECT_EQ(0, CountMessages(left, WM_KEYDOWN));
    EXPECT_EQ(0, CountMessages(left, WM_CLOSE));
}

INSTANTIATE_TEST_SUITE_P(Messages, PumpDropsOther,
                         ::testing::Values(static_cast<UINT>(WM_KEYUP), static_cast<UINT>(WM_CHAR),
                                           static_cast<UINT>(WM_SYSKEYUP), static_cast<UINT>(WM_MOUSEMOVE),
                                           static_cast<UINT>(WM_LBUTTONDOWN), static_cast<UINT>(WM_USER + 7)));

TEST_F(FrameLoopTest, SeveralKeyDownsAreAllDispatchedInOnePump)
{
    Open(k640);
    for (int i = 0; i < 3; ++i)
        PostMessageW(m_hWnd, WM_KEYDOWN, VK_F5, 0);
    PostMessageW(m_hWnd, WM_MOUSEMOVE, 'A', 0);
    EXPECT_EQ(1u, m_pRenderer->RunFrames(1, 0, 10, 0, 0));
    const std::vector<MSG> left = TakeQueued(m_hWnd);
    EXPECT_EQ(3, CountMessages(left, WM_CLOSE)) << "one WM_CLOSE per dispatched key-down";
    EXPECT_EQ(0, CountMessages(left, WM_KEYDOWN));
    EXPECT_EQ(0, CountMessages(left, WM_MOUSEMOVE, 'A')) << "the message after the key-downs was not taken";
}

namespace
{
// Counts what reaches a window of the program other than the test window.
UINT s_uWatched = 0;
int s_nDelivered = 0;
LRESULT CALLBACK CountingProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    s_nDelivered += uMsg == s_uWatched ? 1 : 0;
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}
}

TEST_F(FrameLoopTest, InputForAnotherWindowIsTheRunsAndNeverDelivered)
{
    // nFrames: 1 when the message ends the run, else the fake's key at flip 3 does.
    const struct
    {
        const char* pszName;
        UINT uMsg;
        WPARAM wParam;
        LPARAM lParam;
        bool bEnterHeld;
        DWORD nFrames;
        int nLeft;
    } kCases[] = {
        {"key-down", WM_KEYDOWN, VK_F5, kKeyPressed, false, 1, 0},
        {"system key", WM_SYSKEYDOWN, VK_F10, 0x00440001, false, 1, 0},
        {"repeat of a key held before the run", WM_KEYDOWN, VK_RETURN, kKeyRepeated, true, 3, 0},
        {"key-up", WM_KEYUP, VK_F5, kKeyReleased, false, 3, 0},
        {"click", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5), false, 3, 0},
        {"click on the close box", WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(5, 5), false, 3, 0},
        {"no input: it waits", WM_USER + 7, 0, 0, false, 3, 1},
    };
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &CountingProc;
    wc.hInstance = m_hInst;
    wc.lpszClassName = L"QuillabyOther";
    RegisterClassW(&wc);
    HWND hOther = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, m_hInst, nullptr);
    for (const auto& c : kCases)
    {
        Open(k640);
        const HeldKeys held(c.bEnterHeld ? std::vector<BYTE>{VK_RETURN} : std::vector<BYTE>{});
        s_uWatched = c.uMsg;
        s_nDelivered = 0;
        PostMessageW(hOther, c.uMsg, c.wParam, c.lParam);
        EXPECT_EQ(c.nFrames, RunUntilFlip(3, 1, 0, 10)) << c.pszName;
        EXPECT_EQ(c.nLeft, CountMessages(TakeQueued(hOther), c.uMsg, c.wParam)) << c.pszName << ": left queued";
        EXPECT_EQ(0, s_nDelivered) << c.pszName << ": delivered";
        m_pRenderer.reset();
    }
    DestroyWindow(hOther);
    UnregisterClassW(wc.lpszClassName, m_hInst);
}
