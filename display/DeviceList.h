// The list of DirectDraw display devices, in the order DirectDraw reported them.
#ifndef QUILLABY_DISPLAY_DEVICELIST_H
#define QUILLABY_DISPLAY_DEVICELIST_H

#include <windows.h>
#include <string>
#include <vector>

#include "display/DisplayDevice.h"

typedef std::vector<CDisplayDevice> CDisplayDeviceList;

// Wide enumeration first, the narrow one if that fails; then, when more than one
// device was reported, the GUID-less entries (the primary driver) are dropped.
CDisplayDeviceList BuildDisplayDeviceList();

// Enumeration callbacks; the context is the CDisplayDeviceList being filled.
BOOL CALLBACK AddDeviceCallbackW(GUID* pGuid, LPWSTR pszDescription, LPWSTR pszDriverName,
                                 LPVOID pContext, HMONITOR hMonitor);
BOOL CALLBACK AddDeviceCallbackA(GUID* pGuid, LPSTR pszDescription, LPSTR pszDriverName,
                                 LPVOID pContext, HMONITOR hMonitor);

// Each byte becomes the wide character of the same value; no code page is used.
std::wstring WidenText(const char* psz);

#endif
