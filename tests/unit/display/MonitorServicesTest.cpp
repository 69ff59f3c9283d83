// The monitor services in both models: the one-monitor model forced through
// the table, and several monitors played by stand-ins in the table.
#include <gtest/gtest.h>

#include "support/TestText.h"

#include "display/DisplayDevice.h"
#include "display/MonitorServices.h"

namespace
{

void ForceOneMonitorModel()
{
    g_monitorFunctions = MonitorFunctionTable();
    g_monitorFunctions.bDone = true;
}

class OneMonitorModel : public ::testing::Test
{
protected:
    void SetUp() override { ForceOneMonitorModel(); }
    void TearDown() override { g_monitorFunctions = MonitorFunctionTable(); }
};

// Stand-ins for USER32 on a desktop with a monitor left of the primary one.
const HMONITOR kLeftMonitor = reinterpret_cast<HMONITOR>(0x2001);
const RECT kLeftRect = {-1280, -200, 0, 824};
DWORD s_dwLastInfoSize = 0;

int WINAPI FakeGetSystemMetrics(int nIndex)
{
    return nIndex == SM_CXSCREEN ? 1920 : nIndex == SM_CYSCREEN ? 1080 : 0;
}
HMONITOR WINAPI FakeMonitorFromWindow(HWND, DWORD) { return kLeftMonitor; }
HMONITOR WINAPI FakeMonitorFromRect(LPCRECT, DWORD) { return nullptr; }
HMONITOR WINAPI FakeMonitorFromPoint(POINT, DWORD) { return nullptr; }
BOOL WINAPI FakeEnumDisplayMonitors(HDC, LPCRECT, MONITORENUMPROC, LPARAM) { return FALSE; }
BOOL WINAPI FakeGetMonitorInfoW(HMONITOR hMonitor, LPMONITORINFO pInfo)
{
    s_dwLastInfoSize = pInfo->cbSize;
    if (hMonitor != kLeftMonitor)
        return FALSE;
    pInfo->rcMonitor = kLeftRect;
    pInfo->rcWork = kLeftRect;
    pInfo->dwFlags = 0;
    return TRUE;
}

void ForceSeveralMonitors()
{
    g_monitorFunctions = {&FakeGetSystemMetrics, &FakeMonitorFromWindow, &FakeMonitorFromRect,
                          &FakeMonitorFromPoint, &FakeEnumDisplayMonitors, &FakeGetMonitorInfoW, true};
}
}

TEST_F(OneMonitorModel, AnyWindowIsOnThePseudoMonitorWithADefaultFlag)
{
    EXPECT_EQ(PRIMARY_MONITOR_PSEUDO_HANDLE, CompatMonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY));
    EXPECT_EQ(PRIMARY_MONITOR_PSEUDO_HANDLE, CompatMonitorFromWindow(GetDesktopWindow(), MONITOR_DEFAULTTONEAREST));
    EXPECT_EQ(nullptr, CompatMonitorFromWindow(GetDesktopWindow(), MONITOR_DEFAULTTONULL));
    EXPECT_EQ(reinterpret_cast<HMONITOR>(0x12340042), PRIMARY_MONITOR_PSEUDO_HANDLE);
}

TEST_F(OneMonitorModel, InfoDependsOnTheRecordSize)
{
    RECT rcWork;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0));
    const RECT rcScreen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};

    struct Case
    {
        DWORD cbSize;
        BOOL bExpected;
        const char* pszDevice; // what szDevice holds afterwards
    };
    const Case cases[] = {
        {40, TRUE, "untouched"},
        {104, TRUE, "DISPLAY"},
        {39, FALSE, "untouched"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE("record size " + std::to_string(c.cbSize));
        MONITORINFOEXW info;
        memset(&info, 0x5A, sizeof(info));
        lstrcpyW(info.szDevice, L"untouched");
        info.cbSize = c.cbSize;
        const BOOL bResult = CompatGetMonitorInfo(PRIMARY_MONITOR_PSEUDO_HANDLE, &info);
        EXPECT_EQ(c.bExpected, bResult);
        EXPECT_EQ(c.cbSize, info.cbSize) << "the size field is never changed";
        EXPECT_EQ(c.pszDevice, Narrow(info.szDevice));
        if (c.bExpected)
        {
            EXPECT_EQ(ToText(rcScreen), ToText(info.rcMonitor));
            EXPECT_EQ(ToText(rcWork), ToText(info.rcWork));
            EXPECT_EQ(static_cast<DWORD>(MONITORINFOF_PRIMARY), info.dwFlags);
        }
        else
        {
            EXPECT_EQ(0x5A5A5A5Au, info.dwFlags) << "a failed query leaves the record untouched";
        }
    }
}

TEST_F(OneMonitorModel, OnlyThePseudoHandleHasInfo)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    EXPECT_FALSE(CompatGetMonitorInfo(reinterpret_cast<HMONITOR>(0x12340043), &info));
    EXPECT_FALSE(CompatGetMonitorInfo(nullptr, &info));
    EXPECT_FALSE(CompatGetMonitorInfo(PRIMARY_MONITOR_PSEUDO_HANDLE, nullptr));
    EXPECT_EQ("(0, 0, 0, 0)", ToText(info.rcMonitor));
}

TEST_F(OneMonitorModel, DeviceRectangles)
{
    const std::string strScreen = ToText({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    EXPECT_EQ(strScreen, ToText(CDisplayDevice(nullptr, L"", L"", nullptr).GetMonitorRect()))
        << "a device without a monitor covers the primary screen";
    EXPECT_EQ(strScreen, ToText(CDisplayDevice(nullptr, L"", L"", PRIMARY_MONITOR_PSEUDO_HANDLE).GetMonitorRect()));
    EXPECT_EQ(strScreen, ToText(CDisplayDevice(nullptr, L"", L"", reinterpret_cast<HMONITOR>(0x77)).GetMonitorRect()))
        << "a monitor the query doesn't know (a stale handle) gives the primary screen, never an empty rectangle";
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), CompatGetSystemMetrics(SM_CXICON));
}

TEST(SeveralMonitors, MonitorLeftOfThePrimaryKeepsItsNegativeLeft)
{
    ForceSeveralMonitors();
    const RECT rc = CDisplayDevice(nullptr, L"", L"", kLeftMonitor).GetMonitorRect();
    EXPECT_EQ(ToText(kLeftRect), ToText(rc));
    EXPECT_EQ(40u, s_dwLastInfoSize) << "the basic record is asked for";
    EXPECT_EQ("(0, 0, 1920, 1080)", ToText(CDisplayDevice(nullptr, L"", L"", nullptr).GetMonitorRect()))
        << "no monitor: the primary screen, through the table";
    EXPECT_EQ(kLeftMonitor, CompatMonitorFromWindow(nullptr, MONITOR_DEFAULTTONEAREST));
    g_monitorFunctions = MonitorFunctionTable();
}

TEST(MonitorFunctions, Wine32HasAllSixSoTheTableIsFilledOnce)
{
    g_monitorFunctions = MonitorFunctionTable();
    EXPECT_TRUE(InitMonitorFunctions());
    EXPECT_TRUE(g_monitorFunctions.bDone);
    EXPECT_NE(nullptr, g_monitorFunctions.pfnMonitorFromRect);
    EXPECT_NE(nullptr, g_monitorFunctions.pfnEnumDisplayMonitors);
    // Once done, the outcome never changes, even if the table is tampered with.
    g_monitorFunctions.pfnGetMonitorInfoW = nullptr;
    EXPECT_FALSE(InitMonitorFunctions());
    g_monitorFunctions = MonitorFunctionTable();
}
