// The framework's entry: the program ends when InitInstance returns, and
// ExitInstance gives the exit status.
#include <gtest/gtest.h>
#include <windows.h>

#include "ProbeApp.h"
#include "framework/Wnd.h"

TEST(Entry, EndsWhenInitInstanceReturnsAndDestroysALeftoverMainWindow)
{
    for (BOOL bInitResult : {FALSE, TRUE})
    {
        CWnd wnd;
        g_probeApp.m_nExitCalls = 0;
        g_probeApp.m_initInstance = [&wnd, bInitResult] {
            wnd.m_hWnd = CreateWindowExW(0, L"STATIC", L"leftover", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                         nullptr, nullptr);
            g_probeApp.m_pMainWnd = &wnd;
            return bInitResult;
        };
        HINSTANCE hInstance = GetModuleHandleW(nullptr);
        const int nStatus = AfxWinMain(hInstance, nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);

        EXPECT_EQ(7, nStatus) << "the status is ExitInstance's; InitInstance gave " << bInitResult;
        EXPECT_EQ(1, g_probeApp.m_nExitCalls) << "InitInstance gave " << bInitResult;
        EXPECT_FALSE(IsWindow(wnd.m_hWnd)) << "the leftover main window was not destroyed; InitInstance gave "
                                           << bInitResult;
        EXPECT_EQ(hInstance, g_probeApp.m_hInstance);
        g_probeApp.m_pMainWnd = nullptr;
        g_probeApp.m_initInstance = nullptr;
    }
}

TEST(Entry, TheOneApplicationObjectIsTheStaticOne)
{
    EXPECT_EQ(static_cast<CWinApp*>(&g_probeApp), AfxGetApp());
}
