// F1 in a dialog asks the application for help on the main window's
// context; the help engine gets the program's own path with ".HLP".
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ProbeApp.h"
#include "ProbeDlg.h"
#include "support/TestText.h"
#include "res/resource.h"
#include "support/MessageBoxCatcher.h"
#include "support/ModalDriver.h"

namespace
{
std::wstring ProgramPath()
{
    WCHAR sz[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, sz, MAX_PATH);
    return sz;
}

struct F1Case
{
    const char* pszName;
    WORD wModifier; // 0: none
    size_t nHelpCalls;
};

const F1Case kF1Cases[] = {
    {"F1 alone", 0, 1},
    {"Ctrl+F1", VK_CONTROL, 0},
    {"Shift+F1", VK_SHIFT, 0},
    {"Alt+F1", VK_MENU, 0},
};

struct EngineCall
{
    HWND hWnd;
    std::wstring strFile;
    UINT uCommand;
    ULONG_PTR dwData;
};

std::vector<EngineCall> s_engineCalls;
BOOL s_bEngineStarts = FALSE;

BOOL WINAPI FakeWinHelpW(HWND hWnd, LPCWSTR pszFile, UINT uCommand, ULONG_PTR dwData)
{
    s_engineCalls.push_back(EngineCall{hWnd, pszFile, uCommand, dwData});
    return s_bEngineStarts;
}
}

TEST(Help, F1WithoutModifiersAsksForTheDialogsContext)
{
    for (const F1Case& test : kF1Cases)
    {
        CProbeDlg dlg;
        g_probeApp.m_pMainWnd = &dlg;
        g_probeApp.m_helpCalls.clear();
        const ModalRun run = RunModal(dlg, {
            [&] {
                SetFocus(GetDlgItem(dlg.m_hWnd, IDC_MULTIPLIER));
                PressKeyWith(test.wModifier, VK_F1);
            },
            [&] { PostMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0); },
        });
        EXPECT_FALSE(run.bTimedOut) << test.pszName;
        ASSERT_EQ(test.nHelpCalls, g_probeApp.m_helpCalls.size()) << test.pszName;
        if (test.nHelpCalls == 1)
        {
            EXPECT_EQ(0x20066u, g_probeApp.m_helpCalls[0].dwData) << test.pszName;
            EXPECT_EQ(static_cast<UINT>(HELP_CONTEXT), g_probeApp.m_helpCalls[0].nCmd) << test.pszName;
        }
    }
}

TEST(Help, NamesComeFromTheProgramFile)
{
    const std::wstring strPath = ProgramPath();
    const size_t nDot = strPath.rfind(L'.');
    ASSERT_NE(std::wstring::npos, nDot);
    EXPECT_EQ("unit_framework", Narrow(g_probeApp.m_strAppName));
    EXPECT_EQ(Narrow(strPath.substr(0, nDot) + L".HLP"), Narrow(g_probeApp.m_strHelpFilePath));
}

TEST(Help, EngineGetsTheHelpFileAndItsFailureIsShown)
{
    struct EngineCase
    {
        BOOL bStarts;
        std::vector<std::wstring> boxTexts;
    };
    const EngineCase kCases[] = {
        {TRUE, {}},
        {FALSE, {L"Failed to launch help."}},
    };
    g_pfnWinHelpW = &FakeWinHelpW;
    g_probeApp.m_bRecordHelp = false;
    for (const EngineCase& test : kCases)
    {
        s_engineCalls.clear();
        s_bEngineStarts = test.bStarts;
        MessageBoxCatcher catcher;
        g_probeApp.WinHelp(0x20066, HELP_CONTEXT);

        ASSERT_EQ(1u, s_engineCalls.size());
        EXPECT_EQ(Narrow(g_probeApp.m_strHelpFilePath), Narrow(s_engineCalls[0].strFile));
        EXPECT_EQ(static_cast<UINT>(HELP_CONTEXT), s_engineCalls[0].uCommand);
        EXPECT_EQ(0x20066u, s_engineCalls[0].dwData);
        std::vector<std::wstring> texts;
        for (const CaughtBox& box : catcher.Boxes())
        {
            texts.push_back(box.strText);
            EXPECT_EQ(Narrow(g_probeApp.m_strAppName), Narrow(box.strCaption));
        }
        EXPECT_EQ(Joined(test.boxTexts), Joined(texts)) << "engine starts: " << test.bStarts;
    }
    g_probeApp.m_bRecordHelp = true;
    g_pfnWinHelpW = &::WinHelpW;
}
