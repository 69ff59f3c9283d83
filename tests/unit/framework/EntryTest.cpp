// The framework's entry: InitInstance decides whether a message loop runs;
// ExitInstance gives the exit status either way.
#include <gtest/gtest.h>
#include <windows.h>

#include "ProbeApp.h"
#include "framework/Wnd.h"

TEST(Entry, FalseFromInitInstanceEndsAndDestroysALeftoverMainWindow)
{
    CWnd wnd;
    g_probeApp.m_nExitCalls = 0;
    g_probeApp.m_initInstance = [&wnd] {
        wnd.m_hWnd = CreateWindowExW(0, L"STATIC", L"leftover", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                     nullptr, nullptr);
        g_probeApp.m_pMainWnd = &wnd;
        return FALSE;
    };
    HINSTANCE hInstance = GetModuleHandleW(nullptr);
    const int nStatus = AfxWinMain(hInstance, nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);

    EXPECT_EQ(7, nStatus) << "the status is ExitInstance's";
    EXPECT_EQ(1, g_probeApp.m_nExitCalls);
    EXPECT_FALSE(IsWindow(wnd.m_hWnd)) << "the leftover main window was not destroyed";
    EXPECT_EQ(hInstance, g_probeApp.m_hInstance);
    g_probeApp.m_pMainWnd = nullptr;
    g_probeApp.m_initInstance = nullptr;
}

TEST(Entry, TrueFromInitInstanceRunsUntilQuit)
{
    g_probeApp.m_nExitCalls = 0;
    g_probeApp.m_initInstance = [] {
        PostQuitMessage(3);
        return TRUE;
    };
    const int nStatus = AfxWinMain(GetModuleHandleW(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
    EXPECT_EQ(7, nStatus);
    EXPECT_EQ(1, g_probeApp.m_nExitCalls);
    g_probeApp.m_initInstance = nullptr;
}

TEST(Entry, TheOneApplicationObjectIsTheStaticOne)
{
    EXPECT_EQ(static_cast<CWinApp*>(&g_probeApp), AfxGetApp());
}
