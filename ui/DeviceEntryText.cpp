#include "ui/DeviceEntryText.h"

std::wstring DeviceEntryText(const CDisplayDeviceList& devices, size_t nIndex)
{
    const CDisplayDevice& device = devices[nIndex];
    for (size_t i = 0; i < devices.size(); ++i)
    {
        // Two monitors on one adapter report the adapter's name twice; the
        // driver name is the display's number in the system's settings.
        if (i != nIndex && devices[i].m_strDescription == device.m_strDescription)
            return device.m_strDescription + L" (" + device.m_strDriverName + L")";
    }
    return device.m_strDescription;
}
