#include "display/DisplayDevice.h"

#include "display/MonitorServices.h"

CDisplayDevice::CDisplayDevice(const GUID* pGuid, const std::wstring& strDescription,
                               const std::wstring& strDriverName, HMONITOR hMonitor)
    : m_guid(), m_pGuid(nullptr), m_strDescription(strDescription),
      m_strDriverName(strDriverName), m_hMonitor(hMonitor)
{
    if (pGuid != nullptr)
    {
        m_guid = *pGuid;
        m_pGuid = &m_guid;
    }
}

// A copy points at its own GUID, so it stays valid after its source is gone.
CDisplayDevice::CDisplayDevice(const CDisplayDevice& other)
    : m_guid(other.m_guid), m_pGuid(other.m_pGuid != nullptr ? &m_guid : nullptr),
      m_strDescription(other.m_strDescription), m_strDriverName(other.m_strDriverName),
      m_hMonitor(other.m_hMonitor)
{
}

CDisplayDevice& CDisplayDevice::operator=(const CDisplayDevice& other)
{
    m_guid = other.m_guid;
    m_pGuid = other.m_pGuid != nullptr ? &m_guid : nullptr;
    m_strDescription = other.m_strDescription;
    m_strDriverName = other.m_strDriverName;
    m_hMonitor = other.m_hMonitor;
    return *this;
}

CDisplayDevice::~CDisplayDevice()
{
}

RECT CDisplayDevice::GetMonitorRect() const
{
    return MonitorRect(m_hMonitor);
}

RECT CDisplayDevice::MonitorRect(HMONITOR hMonitor)
{
    if (hMonitor != nullptr)
    {
        // The basic record is enough. A stale handle fails the query, and an
        // empty rectangle would give a test with nothing to draw on: the
        // primary screen stands in then, as for a device without a monitor.
        MONITORINFO info = {};
        info.cbSize = sizeof(MONITORINFO);
        if (CompatGetMonitorInfo(hMonitor, &info) && !IsRectEmpty(&info.rcMonitor))
            return info.rcMonitor;
    }
    // No monitor: the primary screen, whatever the number of monitors.
    const int nHeight = CompatGetSystemMetrics(SM_CYSCREEN);
    const int nWidth = CompatGetSystemMetrics(SM_CXSCREEN);
    RECT rc = {0, 0, nWidth, nHeight};
    return rc;
}
