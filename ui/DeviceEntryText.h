// The text of a device's entry in the device box.
#ifndef QUILLABY_UI_DEVICEENTRYTEXT_H
#define QUILLABY_UI_DEVICEENTRYTEXT_H

#include <cstddef>
#include <string>

#include "display/DeviceList.h"

// The device's description; when another device in the list has the same
// one, followed by the device's driver name in parentheses, as in
// "NVIDIA GeForce GTX 470 (\\.\DISPLAY2)", so that the two can be told apart.
std::wstring DeviceEntryText(const CDisplayDeviceList& devices, size_t nIndex);

#endif
