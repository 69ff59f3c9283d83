#include "SweepTestApp.h"

CRecordingSweepApp g_sweepApp;

const HMONITOR kOtherMonitor = reinterpret_cast<HMONITOR>(static_cast<UINT_PTR>(0x5150));

void CRecordingSweepApp::WinHelp(DWORD_PTR dwData, UINT nCmd)
{
    m_helpRequests.push_back(HelpRequest{dwData, nCmd});
}

HMONITOR OriginMonitor()
{
    const POINT ptOrigin = {0, 0};
    return MonitorFromPoint(ptOrigin, MONITOR_DEFAULTTONEAREST);
}

void ScriptDevices(const std::vector<std::pair<std::string, HMONITOR>>& devices)
{
    ResetFakeEnum(true);
    unsigned long nGuid = 0x51E00000;
    for (const std::pair<std::string, HMONITOR>& device : devices)
    {
        const GUID guid = {++nGuid, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
        // Displays are numbered from 1, as the system numbers them.
        const std::string strDriver = "\\\\.\\DISPLAY" + std::to_string(nGuid - 0x51E00000);
        g_fakeEnumExW.devices.push_back(MakeFakeDevice(device.first.c_str(), strDriver.c_str(), &guid, device.second));
    }
}

BoxState ReadBox(HWND hBox)
{
    BoxState state;
    const int nCount = static_cast<int>(SendMessageW(hBox, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < nCount; ++i)
    {
        WCHAR sz[256] = L"";
        const LPARAM lBuffer = reinterpret_cast<LPARAM>(sz);
        SendMessageW(hBox, CB_GETLBTEXT, i, lBuffer);
        state.entries.push_back(sz);
        state.itemData.push_back(static_cast<DWORD_PTR>(SendMessageW(hBox, CB_GETITEMDATA, i, 0)));
    }
    state.nSelected = static_cast<int>(SendMessageW(hBox, CB_GETCURSEL, 0, 0));
    return state;
}

void CloseLater(const CDialog& dlg)
{
    PostMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
}
