// The clipboard's text.
#ifndef FRAMEWORK_CLIPBOARD_H
#define FRAMEWORK_CLIPBOARD_H

#include <windows.h>

#include <string>

// Puts strText on the clipboard as Unicode text, owned by hOwner; Windows
// gives it in the other text formats. False when the clipboard could not be
// opened (another program holds it) or the text not placed.
bool SetClipboardText(HWND hOwner, const std::wstring& strText);

#endif
