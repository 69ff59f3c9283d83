// Thin typed wrappers over the combo box messages.
#ifndef FRAMEWORK_COMBOBOX_H
#define FRAMEWORK_COMBOBOX_H

#include <windows.h>

#include "framework/String.h"
#include "framework/Wnd.h"

class CComboBox : public CWnd
{
public:
    CComboBox();
    ~CComboBox() override;

    // The index of the new entry, or CB_ERR / CB_ERRSPACE.
    int AddString(LPCWSTR pszString);
    int ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    // -1 clears the selection; CB_ERR also when nIndex is out of range.
    int SetCurSel(int nIndex);
    DWORD_PTR GetItemData(int nIndex) const;
    int SetItemData(int nIndex, DWORD_PTR dwItemData);
    // Selects the first entry after nStartAfter (-1: from the top) whose text
    // begins with pszString, whatever the case; CB_ERR when none does.
    int SelectString(int nStartAfter, LPCWSTR pszString);
    // The index of that entry, without selecting it; CB_ERR when none.
    int FindString(int nStartAfter, LPCWSTR pszString) const;
    // The entry's text; CB_ERR (and empty text) for an index out of range.
    int GetLBText(int nIndex, CString& strText) const;

private:
    LRESULT Send(UINT uMsg, WPARAM wParam, LPARAM lParam) const;
};

#endif
