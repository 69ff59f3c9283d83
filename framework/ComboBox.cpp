#include "framework/ComboBox.h"

#include <vector>

CComboBox::CComboBox() {}

CComboBox::~CComboBox() {}

LRESULT CComboBox::Send(UINT uMsg, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageW(m_hWnd, uMsg, wParam, lParam);
}

int CComboBox::AddString(LPCWSTR pszString)
{
    const LPARAM lText = reinterpret_cast<LPARAM>(pszString);
    return static_cast<int>(Send(CB_ADDSTRING, 0, lText));
}

int CComboBox::ResetContent()
{
    return static_cast<int>(Send(CB_RESETCONTENT, 0, 0));
}

int CComboBox::GetCount() const
{
    return static_cast<int>(Send(CB_GETCOUNT, 0, 0));
}

int CComboBox::GetCurSel() const
{
    return static_cast<int>(Send(CB_GETCURSEL, 0, 0));
}

int CComboBox::SetCurSel(int nIndex)
{
    const WPARAM wIndex = static_cast<WPARAM>(nIndex);
    return static_cast<int>(Send(CB_SETCURSEL, wIndex, 0));
}

DWORD_PTR CComboBox::GetItemData(int nIndex) const
{
    const WPARAM wIndex = static_cast<WPARAM>(nIndex);
    return static_cast<DWORD_PTR>(Send(CB_GETITEMDATA, wIndex, 0));
}

int CComboBox::SetItemData(int nIndex, DWORD_PTR dwItemData)
{
    const WPARAM wIndex = static_cast<WPARAM>(nIndex);
    const LPARAM lData = static_cast<LPARAM>(dwItemData);
    return static_cast<int>(Send(CB_SETITEMDATA, wIndex, lData));
}

int CComboBox::SelectString(int nStartAfter, LPCWSTR pszString)
{
    const WPARAM wStart = static_cast<WPARAM>(nStartAfter);
    const LPARAM lText = reinterpret_cast<LPARAM>(pszString);
    return static_cast<int>(Send(CB_SELECTSTRING, wStart, lText));
}

int CComboBox::FindString(int nStartAfter, LPCWSTR pszString) const
{
    const WPARAM wStart = static_cast<WPARAM>(nStartAfter);
    const LPARAM lText = reinterpret_cast<LPARAM>(pszString);
    return static_cast<int>(Send(CB_FINDSTRING, wStart, lText));
}

int CComboBox::GetLBText(int nIndex, CString& strText) const
{
    const WPARAM wIndex = static_cast<WPARAM>(nIndex);
    const LRESULT nLength = Send(CB_GETLBTEXTLEN, wIndex, 0);
    if (nLength == CB_ERR)
    {
        strText.Empty();
        return CB_ERR;
    }
    std::vector<WCHAR> buffer(static_cast<size_t>(nLength) + 1, L'\0');
    const LPARAM lBuffer = reinterpret_cast<LPARAM>(buffer.data());
    const LRESULT nCopied = Send(CB_GETLBTEXT, wIndex, lBuffer);
    strText = buffer.data();
    return static_cast<int>(nCopied);
}
