// Small text forms for test messages: what was expected and what was got.
#ifndef QUILLABY_TESTS_TESTTEXT_H
#define QUILLABY_TESTS_TESTTEXT_H

#include <windows.h>
#include <string>
#include <vector>

#include "framework/String.h"

// Wide text as ASCII; anything else shows as '?'.
std::string Narrow(const std::wstring& str);
// "(left, top, right, bottom)"
std::string ToText(const RECT& rc);
// "0x0000ABCD"
std::string Hex(unsigned long dw);
// "{AEB2CDD4-6E41-43EA-941C-8361CC760781}", or "none" for a null pointer.
std::string GuidText(const GUID* pGuid);

inline std::string Narrow(const wchar_t* psz)
{
    return Narrow(std::wstring(psz));
}

inline std::string Narrow(const CString& str)
{
    return Narrow(std::wstring(static_cast<LPCWSTR>(str)));
}

// ["a", "b"]
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
