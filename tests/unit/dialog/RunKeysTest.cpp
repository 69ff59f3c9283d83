// The keys of a run stay with the run: what was typed while the test window
// was up, and the auto-repeats of a key held from the run, never reach the
// dialog, which shows the rate and waits for the user.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "SweepTestApp.h"
#include "fakes/FakeDirectDraw.h"
#include "render/SweepRenderer.h"
#include "res/resource.h"
#include "support/HeldKeys.h"
#include "support/ModalDriver.h"

namespace
{
const char kRatePrefix[] = "Rendered frames/sec on last run: ";

// Runs end at their second flip, during which fnDuring runs.
void ScriptRuns(std::function<void()> fnDuring)
{
    ScriptDevices({{"Main", OriginMonitor()}});
    ResetFakeDirectDraw();
    g_fakeDDScript.onCall = [fnDuring](const FakeDDCall& call) {
        if (call.method == FakeDDMethod::Flip && FakeDDCount(FakeDDMethod::Flip) % 2 == 0)
            fnDuring();
    };
}

// The key goes down in the second frame, ends the run and stays down while
// pHeld lives.
void ScriptRunEndedByHeldKey(BYTE nKey, std::unique_ptr<HeldKeys>& pHeld)
{
    ScriptRuns([nKey, &pHeld] {
        if (pHeld == nullptr)
            pHeld.reset(new HeldKeys({nKey}));
        PostMessageW(g_hRendererWnd, WM_KEYDOWN, nKey, kKeyPressed);
    });
}

// Presses Run with Enter on the focused button, as a person would.
void PressRunWithEnter(HWND hDlg)
{
    HWND hRun = GetDlgItem(hDlg, IDC_RUN);
    SetFocus(hRun);
    PostMessageW(hRun, WM_KEYDOWN, VK_RETURN, kKeyPressed);
}

bool IsRate(const std::string& strLine)
{
    return strLine.compare(0, sizeof(kRatePrefix) - 1, kRatePrefix) == 0 && strLine.size() > sizeof(kRatePrefix);
}
}

TEST(RunKeys, InputQueuedForTheDialogDuringTheRunIsDropped)
{
    CSweepDlg* pDlg = nullptr;
    ScriptRuns([&] {
        HWND hRun = GetDlgItem(pDlg->m_hWnd, IDC_RUN);
        PostMessageW(pDlg->m_hWnd, WM_KEYDOWN, VK_ESCAPE, kKeyPressed);
        PostMessageW(hRun, WM_KEYDOWN, VK_RETURN, kKeyPressed);
        PostMessageW(hRun, WM_CHAR, VK_RETURN, kKeyPressed);
        // A click on Run, which would run again once this run is over (and
        // again in that run).
        if (FakeDDCount(FakeDDMethod::DirectDrawCreate) == 1)
        {
            PostMessageW(hRun, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            PostMessageW(hRun, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        }
        PostMessageW(g_hRendererWnd, WM_KEYDOWN, VK_SPACE, kKeyPressed);
    });
    CSweepDlg dlg;
    pDlg = &dlg;
    std::string strRate;
    const ModalRun run = RunModal(dlg, {[&] { PressRunWithEnter(dlg.m_hWnd); },
                                        [&] {
                                            strRate = Narrow(ControlText(dlg.m_hWnd, IDC_RATE));
                                            CloseLater(dlg);
                                        }});
    EXPECT_EQ(2u, run.nStepsRun) << "the dialog closed before the last step";
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(1, FakeDDCount(FakeDDMethod::DirectDrawCreate)) << "runs made";
    EXPECT_TRUE(IsRate(strRate)) << strRate;
}

struct EndingKey
{
    const char* pszName;
    BYTE nKey;
};

class RunKeysHeld : public ::testing::TestWithParam<EndingKey>
{
};

TEST_P(RunKeysHeld, TheKeyThatEndedTheRunIsIgnoredUntilItComesUp)
{
    const BYTE nKey = GetParam().nKey;
    std::unique_ptr<HeldKeys> pHeld;
    ScriptRunEndedByHeldKey(nKey, pHeld);
    CSweepDlg dlg;
    HWND hRun = nullptr;
    std::string strRate;
    int nRunsWhileHeld = -1;
    int nRunsAfter = -1;
    const ModalRun run = RunModal(
        dlg, {[&] {
                  hRun = GetDlgItem(dlg.m_hWnd, IDC_RUN);
                  SetFocus(hRun);
                  SendMessageW(hRun, BM_CLICK, 0, 0);
                  // Its auto-repeats, then its coming up.
                  for (int i = 0; i < 3; ++i)
                      PostMessageW(hRun, WM_KEYDOWN, nKey, kKeyRepeated);
                  PostMessageW(hRun, WM_KEYUP, nKey, kKeyReleased);
              },
              [&] {
                  pHeld.reset();
                  strRate = Narrow(ControlText(dlg.m_hWnd, IDC_RATE));
                  nRunsWhileHeld = FakeDDCount(FakeDDMethod::DirectDrawCreate);
                  // A new press is the user's again.
                  PostMessageW(hRun, WM_KEYDOWN, nKey, kKeyPressed);
              },
              [&] {
                  nRunsAfter = FakeDDCount(FakeDDMethod::DirectDrawCreate);
                  CloseLater(dlg);
              }});
    EXPECT_EQ(1, nRunsWhileHeld) << "runs made before the key came up";
    EXPECT_TRUE(IsRate(strRate)) << strRate;
    if (nKey == VK_ESCAPE)
    {
        EXPECT_EQ(2u, run.nStepsRun) << "Escape pressed again closes the dialog, but only then";
        EXPECT_EQ(IDCANCEL, run.nResult);
    }
    else
    {
        EXPECT_EQ(3u, run.nStepsRun);
        EXPECT_EQ(2, nRunsAfter) << "Enter pressed again runs again";
    }
    EXPECT_FALSE(run.bTimedOut);
}

INSTANTIATE_TEST_SUITE_P(Keys, RunKeysHeld,
                         ::testing::Values(EndingKey{"Escape", VK_ESCAPE}, EndingKey{"Enter", VK_RETURN}),
                         [](const ::testing::TestParamInfo<EndingKey>& info) { return info.param.pszName; });

TEST(RunKeys, AKeyHeldWhenTheDialogIsBackCountsAgainOncePressedAnew)
{
    // The key came up unseen (in another program, say): its next press, with
    // no previous-state bit, is not swallowed.
    std::unique_ptr<HeldKeys> pHeld;
    ScriptRunEndedByHeldKey(VK_ESCAPE, pHeld);
    CSweepDlg dlg;
    const ModalRun run = RunModal(dlg, {[&] {
                                            SendMessageW(GetDlgItem(dlg.m_hWnd, IDC_RUN), BM_CLICK, 0, 0);
                                            pHeld.reset();
                                            PostMessageW(dlg.m_hWnd, WM_KEYDOWN, VK_ESCAPE, kKeyPressed);
                                        },
                                        [&] { CloseLater(dlg); }});
    EXPECT_EQ(1u, run.nStepsRun);
    EXPECT_EQ(IDCANCEL, run.nResult);
}

TEST(RunKeys, AltHeldFromTheRunThenF4LeavesTheDialogWithItsRateUntilAltComesUp)
{
    // Alt ends the run and stays down; F4 comes as a key, or as the close that
    // a window manager makes of Alt+F4. Once Alt is up, a new Alt+F4 closes.
    std::unique_ptr<HeldKeys> pHeld;
    ScriptRuns([&pHeld] {
        if (pHeld == nullptr)
            pHeld.reset(new HeldKeys({VK_MENU, VK_LMENU}));
        PostMessageW(g_hRendererWnd, WM_SYSKEYDOWN, VK_MENU, 0x20000001);
    });
    CSweepDlg dlg;
    std::string strRate;
    const ModalRun run = RunModal(dlg, {[&] {
                                            SendMessageW(GetDlgItem(dlg.m_hWnd, IDC_RUN), BM_CLICK, 0, 0);
                                            PostMessageW(dlg.m_hWnd, WM_SYSKEYDOWN, VK_F4, 0x20000001);
                                            PostMessageW(dlg.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
                                            PostMessageW(dlg.m_hWnd, WM_SYSKEYUP, VK_F4, static_cast<LPARAM>(0xE0000001u));
                                        },
                                        [&] {
                                            strRate = Narrow(ControlText(dlg.m_hWnd, IDC_RATE));
                                            pHeld.reset();
                                            PostMessageW(dlg.m_hWnd, WM_SYSKEYUP, VK_MENU, static_cast<LPARAM>(0xC0000001u));
                                        },
                                        [&] {
                                            // Alt pressed anew, then the window manager's close.
                                            pHeld.reset(new HeldKeys({VK_MENU, VK_LMENU}));
                                            PostMessageW(dlg.m_hWnd, WM_SYSKEYDOWN, VK_MENU, 0x20000001);
                                            PostMessageW(dlg.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
                                        },
                                        [&] { CloseLater(dlg); }});
    EXPECT_TRUE(IsRate(strRate)) << strRate;
    pHeld.reset();
    EXPECT_EQ(3u, run.nStepsRun) << "the dialog closes at the close made after Alt came up, not before";
    EXPECT_EQ(IDCANCEL, run.nResult);
    EXPECT_FALSE(run.bTimedOut);
}
