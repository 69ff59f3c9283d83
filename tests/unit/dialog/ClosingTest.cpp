// How the settings dialog ends, asks for help, and where it opens.
#include <gtest/gtest.h>
#include <windows.h>

#include "SweepTestApp.h"
#include "fakes/FakeDirectDraw.h"
#include "res/resource.h"
#include "support/ModalDriver.h"
#include "support/Placement.h"

TEST(SweepDlgClosing, EnterInAnEditFieldEndsWithOkAfterReadingTheFields)
{
    ScriptDevices({{"Main", OriginMonitor()}});
    CSweepDlg dlg;
    const ModalRun run = RunModal(dlg, {[&] {
        SetDlgItemTextW(dlg.m_hWnd, IDC_BAR_GREEN, L"128");
        HWND hWidth = GetDlgItem(dlg.m_hWnd, IDC_WIDTH);
        SetFocus(hWidth);
        SetWindowTextW(hWidth, L"33");
        PostKey(hWidth, VK_RETURN);
    }});
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(IDOK, run.nResult);
    EXPECT_EQ("33", Narrow(dlg.m_strWidth));
    EXPECT_EQ("128", Narrow(dlg.m_strBarGreen));
    EXPECT_EQ("Main", Narrow(dlg.m_strDevice));
}

TEST(SweepDlgClosing, EscapeAndCloseBoxEndWithCancelWithoutReading)
{
    struct Case
    {
        const char* pszName;
        UINT uMsg;
        WPARAM wParam;
    };
    const Case kCases[] = {
        {"Escape", WM_KEYDOWN, VK_ESCAPE},
        {"close box", WM_SYSCOMMAND, SC_CLOSE},
    };
    for (const Case& test : kCases)
    {
        ScriptDevices({{"Main", OriginMonitor()}});
        CSweepDlg dlg;
        // A field without a rule, so that nothing but OnOK could read it.
        const ModalRun run = RunModal(dlg, {[&] {
            HWND hGreen = GetDlgItem(dlg.m_hWnd, IDC_BAR_GREEN);
            SetFocus(hGreen);
            SetWindowTextW(hGreen, L"33");
            HWND hTarget = test.uMsg == WM_KEYDOWN ? hGreen : dlg.m_hWnd;
            PostMessageW(hTarget, test.uMsg, test.wParam, 0);
        }});
        EXPECT_FALSE(run.bTimedOut) << test.pszName;
        EXPECT_EQ(IDCANCEL, run.nResult) << test.pszName;
        EXPECT_EQ("255", Narrow(dlg.m_strBarGreen)) << test.pszName;
    }
}

TEST(SweepDlgClosing, EnterOnTheFocusedRunButtonRunsInsteadOfEndingTheDialog)
{
    ScriptDevices({{"Main", OriginMonitor()}});
    ResetFakeDirectDraw();
    g_fakeDDScript.nKeyDownAtFlip = 2;
    CSweepDlg dlg;
    bool bOpenAfterEnter = false;
    const ModalRun run = RunModal(dlg, {
        [&] {
            HWND hRun = GetDlgItem(dlg.m_hWnd, IDC_RUN);
            SetFocus(hRun);
            PostKey(hRun, VK_RETURN);
        },
        [&] {
            bOpenAfterEnter = IsWindowVisible(dlg.m_hWnd) != FALSE;
            CloseLater(dlg);
        },
    });
    EXPECT_TRUE(bOpenAfterEnter);
    EXPECT_EQ(IDCANCEL, run.nResult);
    EXPECT_EQ(1, FakeDDCount(FakeDDMethod::DirectDrawCreate)) << "one run";
    EXPECT_EQ("", FakeDDLeaks());
}

TEST(SweepDlgHelp, F1ReachesTheApplicationsHelpButNotWithCtrl)
{
    struct Case
    {
        const char* pszName;
        WORD wModifier;
        size_t nRequests;
    };
    const Case kCases[] = {
        {"F1", 0, 1},
        {"Ctrl+F1", VK_CONTROL, 0},
    };
    for (const Case& test : kCases)
    {
        ScriptDevices({{"Main", OriginMonitor()}});
        CSweepDlg dlg;
        g_sweepApp.m_pMainWnd = &dlg;
        g_sweepApp.m_helpRequests.clear();
        const ModalRun run = RunModal(dlg, {
            [&] {
                SetFocus(GetDlgItem(dlg.m_hWnd, IDC_WIDTH));
                PressKeyWith(test.wModifier, VK_F1);
            },
            [&] { CloseLater(dlg); },
        });
        EXPECT_FALSE(run.bTimedOut) << test.pszName;
        EXPECT_EQ(nullptr, g_sweepApp.m_pMainWnd) << test.pszName;
        ASSERT_EQ(test.nRequests, g_sweepApp.m_helpRequests.size()) << test.pszName;
        if (test.nRequests == 1)
        {
            EXPECT_EQ(0x20066u, g_sweepApp.m_helpRequests[0].dwData);
            EXPECT_EQ(static_cast<UINT>(HELP_CONTEXT), g_sweepApp.m_helpRequests[0].nCmd);
        }
    }
    WCHAR szPath[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    std::wstring strExpected = szPath;
    strExpected = strExpected.substr(0, strExpected.rfind(L'.')) + L".HLP";
    EXPECT_EQ(Narrow(strExpected), Narrow(g_sweepApp.m_strHelpFilePath));
}

TEST(SweepDlgPlacement, OpensCentredInItsMonitorsWorkArea)
{
    ScriptDevices({{"Main", OriginMonitor()}});
    CSweepDlg dlg;
    WorkAreaMargins margins = {};
    RunModal(dlg, {[&] {
        margins = MarginsInWorkArea(dlg.m_hWnd);
        CloseLater(dlg);
    }});
    EXPECT_TRUE(IsCentred(margins));
}
