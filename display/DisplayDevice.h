// One display device as DirectDraw reported it.
#ifndef QUILLABY_DISPLAY_DISPLAYDEVICE_H
#define QUILLABY_DISPLAY_DISPLAYDEVICE_H

#include <windows.h>
#include <string>

class CDisplayDevice
{
public:
    // pGuid may be null: DirectDraw gives the primary display driver no GUID.
    CDisplayDevice(const GUID* pGuid, const std::wstring& strDescription,
                   const std::wstring& strDriverName, HMONITOR hMonitor);
    CDisplayDevice(const CDisplayDevice& other);
    CDisplayDevice& operator=(const CDisplayDevice& other);
    virtual ~CDisplayDevice();

    // The device's screen rectangle in virtual-screen coordinates; the primary
    // screen's when the device has no monitor or its monitor gives no rectangle.
    RECT GetMonitorRect() const;
    // The same for any monitor handle, null included.
    static RECT MonitorRect(HMONITOR hMonitor);

    GUID m_guid;
    // Null, or the address of this object's own m_guid; what DirectDrawCreate takes.
    const GUID* m_pGuid;
    std::wstring m_strDescription;
    std::wstring m_strDriverName;
    HMONITOR m_hMonitor;
};

#endif
