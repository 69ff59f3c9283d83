// Routing through the typed message maps: entries match message,
// notification and id together; a derived map comes before its base's; plain
// commands the dialog leaves alone reach the application.
#include <gtest/gtest.h>
#include <windows.h>

#include "ProbeApp.h"
#include "ProbeDlg.h"
#include "support/TestText.h"
#include "res/resource.h"
#include "support/ModalDriver.h"

namespace
{
struct CommandCase
{
    const char* pszName;
    UINT nCode;
    UINT nId;
    std::vector<std::wstring> calls;
    int nAppCommands;
};

const CommandCase kCommandCases[] = {
    {"Run clicked", BN_CLICKED, IDC_RUN, {L"run"}, 0},
    {"another notification of Run", BN_DBLCLK, IDC_RUN, {}, 0},
    {"the same notification from another control", BN_CLICKED, IDC_BAR_RED, {}, 0},
    {"the derived entry replaces its base's", EN_KILLFOCUS, IDC_MULTIPLIER, {L"derived kill multiplier"}, 0},
    {"the base's entry is reached through the chain", EN_KILLFOCUS, IDC_DIVIDER, {L"kill divider"}, 0},
    {"a plain command goes on to the application", 0, kAppCommand, {}, 1},
    {"a notification does not go to the application", EN_CHANGE, kAppCommand, {}, 0},
};
}

TEST(MessageMap, MatchesNotificationAndIdTogetherAndChainsToBaseAndApplication)
{
    CDerivedProbeDlg dlg;
    std::vector<ModalDriver::Step> steps;
    for (const CommandCase& test : kCommandCases)
    {
        steps.push_back([&dlg, &test] {
            dlg.m_calls.clear();
            g_probeApp.m_nAppCommands = 0;
            const WPARAM wCommand = MAKEWPARAM(test.nId, test.nCode);
            SendMessageW(dlg.m_hWnd, WM_COMMAND, wCommand, 0);
            EXPECT_EQ(Joined(test.calls), Joined(dlg.m_calls)) << test.pszName;
            EXPECT_EQ(test.nAppCommands, g_probeApp.m_nAppCommands) << test.pszName;
        });
    }
    steps.push_back([&dlg] { PostMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0); });

    const ModalRun run = RunModal(dlg, steps);
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(steps.size(), run.nStepsRun);
    EXPECT_EQ(IDCANCEL, run.nResult);
}

TEST(MessageMap, FocusMovesDeliverKillFocusInOrder)
{
    struct FocusStep
    {
        int nFocusTo;
        std::vector<std::wstring> newCalls;
    };
    // The dialog opens with the focus in the device box, which has no entry.
    const FocusStep kSequence[] = {
        {IDC_MULTIPLIER, {}},
        {IDC_DIVIDER, {L"derived kill multiplier"}},
        {IDC_WIDTH, {L"kill divider"}},
        {IDC_MULTIPLIER, {}},
        {IDC_RUN, {L"derived kill multiplier"}},
    };
    CDerivedProbeDlg dlg;
    std::vector<ModalDriver::Step> steps;
    for (const FocusStep& step : kSequence)
    {
        steps.push_back([&dlg, &step] {
            dlg.m_calls.clear();
            SetFocus(GetDlgItem(dlg.m_hWnd, step.nFocusTo));
            EXPECT_EQ(Joined(step.newCalls), Joined(dlg.m_calls)) << "focus to " << step.nFocusTo;
        });
    }
    steps.push_back([&dlg] { PostMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0); });

    const ModalRun run = RunModal(dlg, steps);
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(IDCANCEL, run.nResult);
}

TEST(MessageMap, HandlerResultIsTheMessageResult)
{
    CProbeDlg dlg;
    LRESULT lResult = 0;
    const ModalRun run = RunModal(dlg, {[&] {
        lResult = SendMessageW(dlg.m_hWnd, WM_QUERYDRAGICON, 0, 0);
        PostMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
    }});
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(Joined({L"drag icon"}), Joined(dlg.m_calls));
    EXPECT_EQ(reinterpret_cast<LRESULT>(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512))), lResult);
}
