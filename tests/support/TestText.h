// Small readers that turn texts into what a failed check can print.
#ifndef QUILLABY_TESTS_TESTTEXT_H
#define QUILLABY_TESTS_TESTTEXT_H

#include <windows.h>
#include <string>
#include <vector>

#include "framework/String.h"

inline std::string Narrow(const std::wstring& str)
{
    std::string narrow;
    for (wchar_t c : str)
        narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return narrow;
}

inline std::string Narrow(const CString& str)
{
    return Narrow(std::wstring(str.GetString()));
}

inline std::string Joined(const std::vector<std::wstring>& items)
{
    std::string text;
    for (const std::wstring& item : items)
        text += (text.empty() ? "\"" : ", \"") + Narrow(item) + "\"";
    return "[" + text + "]";
}

inline std::wstring ControlText(HWND hDlg, int nId)
{
    WCHAR sz[256] = L"";
    GetDlgItemTextW(hDlg, nId, sz, 256);
    return sz;
}

#endif
