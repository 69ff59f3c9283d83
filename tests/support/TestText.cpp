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
