// The application shows the settings dialog as its main window; when the
// dialog closes, in whatever way, the program ends with nothing left open.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/SweepApp.h"
#include "fakes/FakeEnum.h"
#include "framework/Wnd.h"
#include "support/ModalDriver.h"
#include "support/TestText.h"

namespace
{
class CEndingSweepApp : public CSweepApp
{
public:
    int ExitInstance() override
    {
        ++m_nExitCalls;
        return CSweepApp::ExitInstance();
    }

    int m_nExitCalls = 0;
};

CEndingSweepApp g_app;

BOOL CALLBACK CollectOwnWindow(HWND hWnd, LPARAM lParam)
{
    DWORD dwProcess = 0;
    GetWindowThreadProcessId(hWnd, &dwProcess);
    if (dwProcess == GetCurrentProcessId())
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

std::vector<HWND> OwnWindows()
{
    std::vector<HWND> windows;
    const LPARAM lWindows = reinterpret_cast<LPARAM>(&windows);
    EnumWindows(&CollectOwnWindow, lWindows);
    return windows;
}

// The windows of the process that were not there before, by class and title.
std::vector<std::wstring> NewWindows(const std::vector<HWND>& before)
{
    std::vector<std::wstring> names;
    for (HWND hWnd : OwnWindows())
    {
        if (std::find(before.begin(), before.end(), hWnd) != before.end())
            continue;
        WCHAR szClass[64] = L"";
        WCHAR szTitle[64] = L"";
        GetClassNameW(hWnd, szClass, 64);
        GetWindowTextW(hWnd, szTitle, 64);
        names.push_back(std::wstring(szClass) + L" " + szTitle);
    }
    return names;
}

struct MainWindowSeen
{
    bool bSet = false;
    bool bVisible = false;
    std::wstring strTitle;
};

ModalDriver::Step LookThenPress(MainWindowSeen& seen, WORD wKey)
{
    return [&seen, wKey] {
        CWnd* pMainWnd = g_app.m_pMainWnd;
        seen.bSet = pMainWnd != nullptr && pMainWnd->m_hWnd != nullptr;
        if (seen.bSet)
        {
            WCHAR szTitle[64] = L"";
            GetWindowTextW(pMainWnd->m_hWnd, szTitle, 64);
            seen.strTitle = szTitle;
            seen.bVisible = IsWindowVisible(pMainWnd->m_hWnd) != FALSE;
        }
        PostKey(GetFocus(), wKey);
    };
}

void ScriptOneDevice()
{
    ResetFakeEnum(true);
    const GUID guid = {0x51E00001, 1, 2, {1, 2, 3, 4, 5, 6, 7, 8}};
    g_fakeEnumExW.devices.push_back(MakeFakeDevice("Main", "\\\\.\\DISPLAY1", &guid, nullptr));
}
}

TEST(SweepApp, InitInstanceRunsTheDialogAsMainWindowAndReturnsFalse)
{
    struct Case
    {
        const char* pszName;
        WORD wKey;
    };
    const Case kCases[] = {
        {"closed with Escape", VK_ESCAPE},
        {"closed with Enter", VK_RETURN},
    };
    for (const Case& test : kCases)
    {
        ScriptOneDevice();
        // The first window of a thread may bring helpers of the system along.
        DestroyWindow(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
        const std::vector<HWND> before = OwnWindows();
        MainWindowSeen seen;
        BOOL bResult = TRUE;
        {
            ModalDriver driver({LookThenPress(seen, test.wKey)});
            bResult = g_app.InitInstance();
            EXPECT_FALSE(driver.TimedOut()) << test.pszName;
        }
        EXPECT_FALSE(bResult) << test.pszName;
        EXPECT_TRUE(seen.bSet) << test.pszName << ": the dialog was not the main window";
        EXPECT_TRUE(seen.bVisible) << test.pszName;
        EXPECT_EQ("Quillaby", Narrow(seen.strTitle)) << test.pszName;
        EXPECT_EQ(nullptr, g_app.m_pMainWnd) << test.pszName;
        EXPECT_EQ("[]", Joined(NewWindows(before))) << test.pszName << ": windows left behind";
    }
}

TEST(SweepApp, EntryEndsOnceTheDialogCloses)
{
    ScriptOneDevice();
    const std::vector<HWND> before = OwnWindows();
    g_app.m_nExitCalls = 0;
    MainWindowSeen seen;
    int nStatus = -1;
    {
        ModalDriver driver({LookThenPress(seen, VK_ESCAPE)});
        nStatus = AfxWinMain(GetModuleHandleW(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
        EXPECT_FALSE(driver.TimedOut());
    }
    EXPECT_TRUE(seen.bSet);
    EXPECT_EQ(0, nStatus);
    EXPECT_EQ(1, g_app.m_nExitCalls);
    EXPECT_EQ(nullptr, g_app.m_pMainWnd);
    EXPECT_EQ("[]", Joined(NewWindows(before)));
}

TEST(SweepApp, IsTheOneApplicationObject)
{
    EXPECT_EQ(static_cast<CWinApp*>(&g_app), AfxGetApp());
    EXPECT_EQ("unit_app", Narrow(g_app.m_strAppName));
}
