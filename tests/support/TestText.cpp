#include "support/TestText.h"

#include <cstdio>

std::string Narrow(const std::wstring& str)
{
    std::string out;
    for (wchar_t c : str)
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

std::string ToText(const RECT& rc)
{
    return "(" + std::to_string(rc.left) + ", " + std::to_string(rc.top) + ", " + std::to_string(rc.right) + ", " +
           std::to_string(rc.bottom) + ")";
}

std::string Hex(unsigned long dw)
{
    char sz[16];
    snprintf(sz, sizeof(sz), "0x%08lX", dw);
    return sz;
}

std::string GuidText(const GUID* pGuid)
{
    if (pGuid == nullptr)
        return "none";
    char sz[64];
    snprintf(sz, sizeof(sz), "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
             static_cast<unsigned long>(pGuid->Data1), pGuid->Data2, pGuid->Data3, pGuid->Data4[0],
             pGuid->Data4[1], pGuid->Data4[2], pGuid->Data4[3], pGuid->Data4[4], pGuid->Data4[5],
             pGuid->Data4[6], pGuid->Data4[7]);
    return sz;
}
