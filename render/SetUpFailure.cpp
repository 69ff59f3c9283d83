#include "render/SetUpFailure.h"

#include "platform/DirectDrawResult.h"

namespace
{
std::wstring LastErrorText(DWORD dwError)
{
    LPWSTR pszText = nullptr;
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, dwError, 0,
                   reinterpret_cast<LPWSTR>(&pszText), 0, nullptr);
    std::wstring strText = pszText != nullptr ? pszText : L"";
    LocalFree(pszText);
    // The system's texts end in a line break, which would only add space.
    while (!strText.empty() && (strText.back() == L'\n' || strText.back() == L'\r' || strText.back() == L' '))
        strText.pop_back();
    if (strText.empty())
    {
        WCHAR szCode[64];
        wsprintfW(szCode, L"Last error %lu (0x%08lX).", dwError, dwError);
        strText = szCode;
    }
    return strText;
}

std::wstring StepText(std::wstring strText, const wchar_t* pszStep, std::optional<HRESULT> result, DWORD dwLastError)
{
    strText += pszStep;
    strText += L" failed";
    if (result.has_value())
        strText += L": " + DirectDrawResultText(*result);
    strText += L".";
    if (dwLastError != 0)
        strText += L"\n\n" + LastErrorText(dwLastError);
    return strText;
}
}

std::wstring SetUpFailureText(const wchar_t* pszStep, std::optional<HRESULT> result, DWORD dwLastError)
{
    return StepText(L"The test could not take over the display.\n\n", pszStep, result, dwLastError);
}

std::wstring RebuildFailureText(const wchar_t* pszStep, HRESULT result, DWORD dwLastError, DWORD dwMs)
{
    WCHAR szLead[160];
    wsprintfW(szLead, L"The run ended: the display changed its mode, and the test could not set it up again "
                      L"within %lu s.\n\n", (dwMs + 999) / 1000);
    return StepText(szLead, pszStep, result, dwLastError);
}
