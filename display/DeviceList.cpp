#include "display/DeviceList.h"

#include <algorithm>

#include "platform/DirectDrawEnum.h"

namespace
{
// DirectDraw is trusted to give texts, but a null one becomes empty text
// rather than a crash.
std::wstring CopyText(const WCHAR* psz)
{
    return psz != nullptr ? std::wstring(psz) : std::wstring();
}

bool HasNoGuid(const CDisplayDevice& device)
{
    return device.m_pGuid == nullptr;
}
}

std::wstring WidenText(const char* psz)
{
    std::wstring str;
    if (psz == nullptr)
        return str;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(psz); *p != 0; ++p)
        str.push_back(static_cast<wchar_t>(*p));
    return str;
}

BOOL CALLBACK AddDeviceCallbackW(GUID* pGuid, LPWSTR pszDescription, LPWSTR pszDriverName,
                                 LPVOID pContext, HMONITOR hMonitor)
{
    CDisplayDeviceList* pList = static_cast<CDisplayDeviceList*>(pContext);
    const std::wstring strDescription = CopyText(pszDescription);
    const std::wstring strDriverName = CopyText(pszDriverName);
    pList->push_back(CDisplayDevice(pGuid, strDescription, strDriverName, hMonitor));
    return DDENUMRET_OK;
}

BOOL CALLBACK AddDeviceCallbackA(GUID* pGuid, LPSTR pszDescription, LPSTR pszDriverName,
                                 LPVOID pContext, HMONITOR hMonitor)
{
    CDisplayDeviceList* pList = static_cast<CDisplayDeviceList*>(pContext);
    const std::wstring strDescription = WidenText(pszDescription);
    const std::wstring strDriverName = WidenText(pszDriverName);
    pList->push_back(CDisplayDevice(pGuid, strDescription, strDriverName, hMonitor));
    return DDENUMRET_OK;
}

CDisplayDeviceList BuildDisplayDeviceList()
{
    CDisplayDeviceList devices;
    const HRESULT hr = EnumerateDirectDrawW(&AddDeviceCallbackW, &devices, DDENUM_ATTACHEDSECONDARYDEVICES);
    if (hr != DD_OK)
    {
        // Entries the wide call added before it failed stay; the narrow ones follow.
        EnumerateDirectDrawA(&AddDeviceCallbackA, &devices, DDENUM_ATTACHEDSECONDARYDEVICES);
    }

    // With several devices, the GUID-less primary driver only repeats one of them.
    if (devices.size() > 1)
        devices.erase(std::remove_if(devices.begin(), devices.end(), HasNoGuid), devices.end());
    return devices;
}
