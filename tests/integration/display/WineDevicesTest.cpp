// The device list and the monitor services against Wine's real DirectDraw and
// USER32 in the Xvfb screen that scripts/test starts (QUILLABY_SCREEN).
#include <gtest/gtest.h>

#include "support/TestText.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "display/DeviceList.h"
#include "display/MonitorServices.h"
#include "platform/DirectDrawEnum.h"

namespace
{

// The screen size that scripts/test gave Xvfb, such as "800x600".
bool ExpectedScreen(int& nWidth, int& nHeight)
{
    const char* psz = getenv("QUILLABY_SCREEN");
    return psz != nullptr && sscanf(psz, "%dx%d", &nWidth, &nHeight) == 2;
}

int s_nCallbacks = 0;
BOOL CALLBACK CountW(GUID*, LPWSTR, LPWSTR, LPVOID, HMONITOR)
{
    ++s_nCallbacks;
    return TRUE;
}
}

TEST(WineDevices, ListHoldsAtLeastOneDeviceAndTheMonitoredOnesCoverTheScreen)
{
    const CDisplayDeviceList devices = BuildDisplayDeviceList();
    ASSERT_GE(devices.size(), 1u) << "Wine reported no display device";

    int nWidth = 0, nHeight = 0;
    const bool bKnownScreen = ExpectedScreen(nWidth, nHeight);
    int nWithMonitor = 0;
    for (const CDisplayDevice& device : devices)
    {
        const RECT rc = device.GetMonitorRect();
        printf("device: description \"%s\", driver \"%s\", GUID %s, monitor %p, rectangle %s\n",
               Narrow(device.m_strDescription).c_str(), Narrow(device.m_strDriverName).c_str(),
               GuidText(device.m_pGuid).c_str(), static_cast<void*>(device.m_hMonitor), ToText(rc).c_str());
        if (device.m_hMonitor == nullptr)
            continue;
        ++nWithMonitor;
        if (bKnownScreen)
        {
            EXPECT_EQ(ToText({0, 0, nWidth, nHeight}), ToText(rc)) << Narrow(device.m_strDescription);
        }
        MONITORINFO info = {};
        info.cbSize = sizeof(info);
        ASSERT_TRUE(GetMonitorInfoW(device.m_hMonitor, &info));
        EXPECT_EQ(ToText(info.rcMonitor), ToText(rc)) << "the platform's own answer";
    }
    EXPECT_GE(nWithMonitor, 1) << "expected the extended narrow enumeration to report a monitor";
    EXPECT_TRUE(bKnownScreen) << "QUILLABY_SCREEN not set; run through scripts/test";
}

TEST(WineDevices, WindowOnTheScreenIsOnAMonitorThatADeviceCarries)
{
    HWND hWnd = CreateWindowExW(0, L"STATIC", L"probe", WS_POPUP | WS_VISIBLE, 10, 10, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(nullptr, hWnd);
    const HMONITOR hMonitor = CompatMonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST);
    DestroyWindow(hWnd);
    EXPECT_NE(PRIMARY_MONITOR_PSEUDO_HANDLE, hMonitor) << "Wine's USER32 has the multiple-monitor functions";

    bool bCarried = false;
    for (const CDisplayDevice& device : BuildDisplayDeviceList())
        bCarried = bCarried || device.m_hMonitor == hMonitor;
    EXPECT_TRUE(bCarried) << "no device carries monitor " << hMonitor;
}

// Which enumeration filled the list here. Wine answers E_NOTIMPL to the wide
// extended enumeration, so the narrow one does the work; the list must be the
// same on either path.
TEST(WineDevices, RecordWhichPathFilledTheList)
{
    s_nCallbacks = 0;
    const HRESULT hrWide = EnumerateDirectDrawW(&CountW, nullptr, DDENUM_ATTACHEDSECONDARYDEVICES);
    const bool bWide = hrWide == DD_OK;
    const std::string strPath = bWide ? "wide" : "narrow";
    printf("wide enumeration: 0x%08lX after %d devices; extended wide entry %s, extended narrow entry %s; "
           "the list comes from the %s path\n",
           static_cast<unsigned long>(hrWide), s_nCallbacks, g_pfnDirectDrawEnumerateExW ? "found" : "missing",
           g_pfnDirectDrawEnumerateExA ? "found" : "missing", strPath.c_str());
    RecordProperty("path", strPath);
    EXPECT_NE(nullptr, g_pfnDirectDrawEnumerateExA) << "DDRAW is loaded, so the narrow lookup must find its entry";

    // Whatever the path, the list is the narrow enumeration's devices less the
    // GUID-less one.
    CDisplayDeviceList narrow;
    EnumerateDirectDrawA(&AddDeviceCallbackA, &narrow, DDENUM_ATTACHEDSECONDARYDEVICES);
    CDisplayDeviceList expected;
    for (const CDisplayDevice& device : narrow)
    {
        printf("reported: description \"%s\", driver \"%s\", GUID %s, monitor %p\n",
               Narrow(device.m_strDescription).c_str(), Narrow(device.m_strDriverName).c_str(),
               GuidText(device.m_pGuid).c_str(), static_cast<void*>(device.m_hMonitor));
        if (device.m_pGuid != nullptr || narrow.size() == 1)
            expected.push_back(device);
    }
    const CDisplayDeviceList devices = BuildDisplayDeviceList();
    ASSERT_EQ(expected.size(), devices.size());
    for (size_t i = 0; i < devices.size(); ++i)
    {
        EXPECT_EQ(Narrow(expected[i].m_strDescription), Narrow(devices[i].m_strDescription));
        EXPECT_EQ(GuidText(expected[i].m_pGuid), GuidText(devices[i].m_pGuid));
        EXPECT_EQ(expected[i].m_hMonitor, devices[i].m_hMonitor);
    }
}
