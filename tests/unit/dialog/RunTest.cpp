// The Run command with the real dialog and the fake DirectDraw: what reaches
// the frame loop, the rate line, and the dialog after a run or a failed set-up.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <regex>

#include "SweepTestApp.h"
#include "fakes/FakeDirectDraw.h"
#include "render/SweepRenderer.h"
#include "res/resource.h"
#include "support/MessageBoxCatcher.h"
#include "support/ModalDriver.h"

namespace
{
const char kRatePrefix[] = "Rendered frames/sec on last run: ";

// What the fills of the frames drawn say: per frame its background pixel, the
// bar's left and right edges and the bar's pixel. Every fill is one Blt here.
struct Frame
{
    DWORD dwBackground;
    LONG nBarLeft;
    LONG nBarRight;
    DWORD dwBar;
};

std::vector<Frame> FramesDrawn()
{
    const std::vector<FakeDDCall> fills = FakeDDCallsOf(FakeDDMethod::Blt);
    std::vector<Frame> frames;
    for (size_t i = 0; i + 5 < fills.size(); i += 6)
    {
        const FakeDDCall& bar = fills[i + 5];
        frames.push_back(Frame{fills[i].dwFillColor, bar.rcDest.left, bar.rcDest.right, bar.dwFillColor});
    }
    return frames;
}

std::string Lefts(const std::vector<Frame>& frames)
{
    std::string text;
    for (const Frame& frame : frames)
        text += (text.empty() ? "" : " ") + std::to_string(frame.nBarLeft);
    return text;
}

void ClickRun(HWND hDlg)
{
    SendMessageW(GetDlgItem(hDlg, IDC_RUN), BM_CLICK, 0, 0);
}

// Runs end after this many frames: the fake presses a key during that flip.
void ScriptRunOf(int nFrames)
{
    ResetFakeDirectDraw();
    g_fakeDDScript.nKeyDownAtFlip = nFrames;
}

// Clicks Run once in the open dialog and returns the rate line afterwards,
// and the pacing line when asked.
std::string RunOnceAndReadRate(CSweepDlg& dlg, std::string* pPacing = nullptr)
{
    std::string strRate;
    RunModal(dlg, {[&] {
        ClickRun(dlg.m_hWnd);
        strRate = Narrow(ControlText(dlg.m_hWnd, IDC_RATE));
        if (pPacing != nullptr)
            *pPacing = Narrow(ControlText(dlg.m_hWnd, IDC_PACING));
        CloseLater(dlg);
    }});
    return strRate;
}

bool ClassRegistered()
{
    WNDCLASSW wc;
    return GetClassInfoW(GetModuleHandleW(nullptr), L"Quillaby", &wc) != FALSE;
}
}

TEST(RunCommand, DefaultsReachTheFrameLoop)
{
    ScriptDevices({{"Main", OriginMonitor()}});
    ScriptRunOf(3);
    CSweepDlg dlg;
    const std::string strRate = RunOnceAndReadRate(dlg);
    const std::vector<Frame> frames = FramesDrawn();
    ASSERT_EQ(3u, frames.size());
    EXPECT_EQ("1 2 3", Lefts(frames)) << "multiplier 1, divider 0";
    for (const Frame& frame : frames)
    {
        EXPECT_EQ(20, frame.nBarRight - frame.nBarLeft) << "width";
        EXPECT_EQ(Hex(0x00000000), Hex(frame.dwBackground)) << "background";
        EXPECT_EQ(Hex(0x00FFFFFF), Hex(frame.dwBar)) << "bar";
    }
    EXPECT_EQ(kRatePrefix, strRate.substr(0, sizeof(kRatePrefix) - 1)) << strRate;
    EXPECT_EQ("", FakeDDLeaks());
    EXPECT_FALSE(ClassRegistered()) << "the renderer is gone after the run";
}

TEST(RunCommand, ColoursKeepTheirLowEightBitsInTheirOwnChannel)
{
    ScriptDevices({{"Main", OriginMonitor()}});
    ScriptRunOf(1);
    CSweepDlg dlg;
    RunModal(dlg, {[&] {
        const struct
        {
            int nId;
            const wchar_t* pszText;
        } fields[] = {{IDC_BAR_RED, L"1"},    {IDC_BAR_GREEN, L"2"},    {IDC_BAR_BLUE, L"3"},
                      {IDC_BACK_RED, L"300"}, {IDC_BACK_GREEN, L"256"}, {IDC_BACK_BLUE, L"-1"}};
        for (const auto& field : fields)
            SetDlgItemTextW(dlg.m_hWnd, field.nId, field.pszText);
        ClickRun(dlg.m_hWnd);
        CloseLater(dlg);
    }});
    const std::vector<Frame> frames = FramesDrawn();
    ASSERT_EQ(1u, frames.size());
    // The fake's surface is 32-bit with red in the high byte.
    EXPECT_EQ(Hex(0x00010203), Hex(frames[0].dwBar)) << "bar (1, 2, 3)";
    EXPECT_EQ(Hex(0x002C00FF), Hex(frames[0].dwBackground)) << "background (300, 256, -1) is (44, 0, 255)";
}

TEST(RunCommand, DividerTypedThenRunClickedEmptiesTheMultiplierFirst)
{
    ScriptDevices({{"Main", OriginMonitor()}});
    ScriptRunOf(5);
    CSweepDlg dlg;
    std::string strMultiplier;
    RunModal(dlg, {[&] {
        HWND hDivider = GetDlgItem(dlg.m_hWnd, IDC_DIVIDER);
        SetFocus(hDivider);
        SetWindowTextW(hDivider, L"3");
        ClickRun(dlg.m_hWnd);
        strMultiplier = Narrow(ControlText(dlg.m_hWnd, IDC_MULTIPLIER));
        CloseLater(dlg);
    }});
    EXPECT_EQ("", strMultiplier);
    EXPECT_EQ("1 2 2 2 3", Lefts(FramesDrawn())) << "multiplier 0, divider 3";
}

TEST(RunCommand, RateLineShowsAPositiveRateWithTwoDecimals)
{
    ScriptDevices({{"Main", OriginMonitor()}});
    ScriptRunOf(4);
    g_fakeDDScript.onCall = [](const FakeDDCall& call) {
        if (call.method == FakeDDMethod::Flip)
            Sleep(10); // so that the run lasts several ticks
    };
    CSweepDlg dlg;
    const std::string strRate = RunOnceAndReadRate(dlg);
    double dRate = 0;
    char szRest[8] = "";
    ASSERT_EQ(1, sscanf(strRate.c_str(), "Rendered frames/sec on last run: %lf%7s", &dRate, szRest)) << strRate;
    EXPECT_GT(dRate, 0.0) << strRate;
    EXPECT_LT(dRate, 400.0) << strRate << ": 4 frames took at least 40 ms";
    EXPECT_EQ('.', strRate[strRate.size() - 3]) << strRate << ": two decimals";
}

TEST(RunCommand, PacingLineFollowsTheRun)
{
    ScriptDevices({{"Main", OriginMonitor()}});
    ScriptRunOf(12);
    g_fakeDDScript.dwMonitorFrequency = 75;
    CSweepDlg dlg;
    std::string strPacing;
    RunOnceAndReadRate(dlg, &strPacing);
    // Broken over lines only after a clause's comma or semicolon.
    std::string strOneLine;
    for (size_t i = 0; i < strPacing.size(); ++i)
    {
        if (strPacing.compare(i, 2, "\r\n") != 0)
        {
            strOneLine += strPacing[i];
            continue;
        }
        EXPECT_TRUE(i > 0 && (strPacing[i - 1] == ',' || strPacing[i - 1] == ';')) << strPacing;
        strOneLine += ' ';
        ++i;
    }
    EXPECT_NE(strOneLine, strPacing) << "a line that long is broken";
    // The fake's frames come far faster than 75 Hz, unless a loaded machine
    // stalls the loop for a few of them; either way the line is about the
    // refresh DirectDraw gave.
    const std::regex pattern("Frame pacing: (display 75 Hz, frames every [0-9]+\\.[0-9]{3} ms \\([0-9]+\\.[0-9]{2} Hz\\), "
                             "not tied to its refresh|DirectDraw gave 75 Hz, which the frames don't fit), "
                             ".*longest [0-9]+\\.[0-9] ms");
    EXPECT_TRUE(std::regex_match(strOneLine, pattern)) << strOneLine;
}

TEST(RunCommand, AfterARunTheChosenOfTwoEqualDescriptionsStaysSelected)
{
    // The second device is on the dialog's monitor, so it is preselected.
    ScriptDevices({{"Same", kOtherMonitor}, {"Same", OriginMonitor()}});
    ScriptRunOf(1);
    CSweepDlg dlg;
    int nBefore = -1, nAfter = -1;
    std::vector<unsigned long> guids;
    RunModal(dlg, {[&] {
        nBefore = dlg.m_cbDevice.GetCurSel();
        ClickRun(dlg.m_hWnd);
        nAfter = dlg.m_cbDevice.GetCurSel();
        g_fakeDDScript.nKeyDownAtFlip = 1;
        ClickRun(dlg.m_hWnd);
        for (const FakeDDCall& call : FakeDDCallsOf(FakeDDMethod::DirectDrawCreate))
            guids.push_back(call.pGuid != nullptr ? call.pGuid->Data1 : 0);
        CloseLater(dlg);
    }});
    EXPECT_EQ(1, nBefore);
    EXPECT_EQ(1, nAfter) << "the chosen entry after the run";
    EXPECT_EQ((std::vector<unsigned long>{0x51E00002, 0x51E00002}), guids)
        << "the chosen device both times";
}

TEST(RunCommand, FailedSetUpLeavesTheDialogWorking)
{
    ScriptDevices({{"Main", OriginMonitor()}});
    ResetFakeDirectDraw();
    g_fakeDDScript.hrCreate = DDERR_GENERIC;
    CSweepDlg dlg;
    MessageBoxCatcher boxes;
    std::string strRateAfterFailure, strRateAfterRetry, strPacingAfterFailure;
    bool bClassAfterFailure = true, bVisible = false;
    HWND hDlg = nullptr;
    RunModal(dlg, {[&] {
        hDlg = dlg.m_hWnd;
        ClickRun(dlg.m_hWnd);
        strRateAfterFailure = Narrow(ControlText(dlg.m_hWnd, IDC_RATE));
        strPacingAfterFailure = Narrow(ControlText(dlg.m_hWnd, IDC_PACING));
        bClassAfterFailure = ClassRegistered();
        bVisible = IsWindowVisible(dlg.m_hWnd) != FALSE;

        g_fakeDDScript.hrCreate = DD_OK;
        g_fakeDDScript.nKeyDownAtFlip = 2;
        ClickRun(dlg.m_hWnd);
        strRateAfterRetry = Narrow(ControlText(dlg.m_hWnd, IDC_RATE));
        CloseLater(dlg);
    }});
    ASSERT_EQ(1u, boxes.Boxes().size()) << "one error box";
    EXPECT_EQ("Error", Narrow(boxes.Boxes()[0].strCaption));
    EXPECT_EQ("The test could not take over the display.\n\n"
              "Creating the DirectDraw object failed: DDERR_GENERIC/E_FAIL (0x80004005).",
              Narrow(boxes.Boxes()[0].strText));
    EXPECT_EQ(hDlg, boxes.Boxes()[0].hOwner) << "the box belongs to the dialog";
    EXPECT_FALSE(boxes.Boxes()[0].bOwnerEnabled) << "Run could be pressed again while the box was up";
    EXPECT_EQ("Rendered frames/sec on last run:", strRateAfterFailure) << "unchanged";
    EXPECT_EQ("", strPacingAfterFailure) << "unchanged";
    EXPECT_FALSE(bClassAfterFailure);
    EXPECT_TRUE(bVisible);
    EXPECT_EQ(kRatePrefix, strRateAfterRetry.substr(0, sizeof(kRatePrefix) - 1)) << "a later Run works";
    EXPECT_EQ(2, FakeDDCount(FakeDDMethod::DirectDrawCreate));
    EXPECT_EQ("", FakeDDLeaks());
}

TEST(RunCommand, WithNoDeviceRunDoesNothing)
{
    ScriptDevices({});
    ResetFakeDirectDraw();
    CSweepDlg dlg;
    MessageBoxCatcher boxes;
    const std::string strRate = RunOnceAndReadRate(dlg);
    EXPECT_EQ(0, FakeDDCount(FakeDDMethod::DirectDrawCreate)) << "no renderer";
    EXPECT_EQ("Rendered frames/sec on last run:", strRate);
    EXPECT_EQ(0u, boxes.Boxes().size());
    EXPECT_FALSE(ClassRegistered());
}

TEST(RunCommand, TheDialogTakesNoInputWhileTheFramesRunAndIsBackAsItWasAfter)
{
    // Each way out of a run: a key, a failed set-up, and the surfaces lost
    // and never made again (the mode unchanged) until the rebuild gives up.
    enum End { kKey, kSetUpFails, kRebuildFails };
    for (const End end : {kKey, kSetUpFails, kRebuildFails})
    {
        ScriptDevices({{"Main", OriginMonitor()}});
        ResetFakeDirectDraw();
        g_fakeDDScript.hrCreate = end == kSetUpFails ? DDERR_GENERIC : DD_OK;
        CSweepDlg dlg;
        MessageBoxCatcher boxes;
        std::string strEnabledAtFlips;
        g_fakeDDScript.onCall = [&](const FakeDDCall& call) {
            if (call.method != FakeDDMethod::Flip)
                return;
            strEnabledAtFlips += IsWindowEnabled(dlg.m_hWnd) ? "1" : "0";
            if (end == kKey && FakeDDCount(FakeDDMethod::Flip) == 2)
                PostMessageW(g_hRendererWnd, WM_KEYDOWN, VK_SPACE, 1);
            if (end == kRebuildFails && FakeDDCount(FakeDDMethod::Flip) == 1)
            {
                g_pRenderer->SetRebuildLimit(200);
                g_fakeDDScript.flip.hrThen = DDERR_SURFACELOST;
                g_fakeDDScript.restore.hrThen = DDERR_WRONGMODE;
                g_fakeDDScript.hrCreateSurface = DDERR_GENERIC;
            }
        };
        HWND hGreen = nullptr, hFocus = nullptr;
        bool bEnabled = false;
        RunModal(dlg, {[&] {
            // Run's command with the focus elsewhere: a click would move it to Run.
            hGreen = GetDlgItem(dlg.m_hWnd, IDC_BAR_GREEN);
            SetFocus(hGreen);
            const LPARAM lRun = reinterpret_cast<LPARAM>(GetDlgItem(dlg.m_hWnd, IDC_RUN));
            SendMessageW(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_RUN, BN_CLICKED), lRun);
            bEnabled = IsWindowEnabled(dlg.m_hWnd) != FALSE;
            hFocus = GetFocus();
            CloseLater(dlg);
        }});
        g_fakeDDScript.onCall = nullptr;

        EXPECT_EQ(end != kSetUpFails, !strEnabledAtFlips.empty()) << end << ": frames drawn";
        EXPECT_EQ(std::string(strEnabledAtFlips.size(), '0'), strEnabledAtFlips) << end << ": enabled at each flip";
        EXPECT_EQ(end == kKey ? 0u : 1u, boxes.Boxes().size()) << end << ": error boxes";
        EXPECT_TRUE(bEnabled) << end << ": the dialog after the run";
        // The focus back in the dialog: it is the active window again.
        EXPECT_EQ(hGreen, hFocus) << end << ": the focus after the run";
        EXPECT_EQ("", FakeDDLeaks()) << end;
    }
}
