#include "ui/FieldNumber.h"

namespace
{
bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsHighSurrogate(WCHAR c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

// Two's complement without relying on implementation-defined conversion.
LONG ToSigned(DWORD dw)
{
    return dw <= 0x7FFFFFFFu ? static_cast<LONG>(dw) : -static_cast<LONG>(~dw) - 1;
}
}

int FieldTextToAnsi(LPCWSTR pszText, char (&szAnsi)[FIELD_NUMBER_BUFFER], UINT nCodePage)
{
    int nUsed = 0;
    szAnsi[0] = '\0';
    if (pszText == nullptr)
        return 0;
    // Character by character, so that a character whose bytes would not all
    // fit is left out whole instead of cut in half.
    for (LPCWSTR p = pszText; *p != L'\0';)
    {
        const int nUnits = IsHighSurrogate(p[0]) && p[1] != L'\0' ? 2 : 1;
        char bytes[8];
        const int nBytes = WideCharToMultiByte(nCodePage, 0, p, nUnits, bytes, sizeof(bytes), nullptr, nullptr);
        if (nBytes <= 0 || nUsed + nBytes > FIELD_NUMBER_BUFFER - 1)
            break;
        for (int i = 0; i < nBytes; ++i)
            szAnsi[nUsed++] = bytes[i];
        p += nUnits;
    }
    szAnsi[nUsed] = '\0';
    return nUsed;
}

LONG FieldNumber(LPCWSTR pszText)
{
    char szAnsi[FIELD_NUMBER_BUFFER];
    FieldTextToAnsi(pszText, szAnsi);

    const char* p = szAnsi;
    while (IsCSpace(*p))
        ++p;
    bool bNegative = false;
    if (*p == '+' || *p == '-')
    {
        bNegative = *p == '-';
        ++p;
    }
    DWORD dwValue = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        dwValue = dwValue * 10u + static_cast<DWORD>(*p - '0');
    if (bNegative)
        dwValue = 0u - dwValue;
    return ToSigned(dwValue);
}

COLORREF PackColour(LONG nRed, LONG nGreen, LONG nBlue)
{
    const BYTE bRed = static_cast<BYTE>(nRed & 0xFF);
    const BYTE bGreen = static_cast<BYTE>(nGreen & 0xFF);
    const BYTE bBlue = static_cast<BYTE>(nBlue & 0xFF);
    return RGB(bRed, bGreen, bBlue);
}
