#include "framework/DataExchange.h"

#include <vector>

#include "framework/ComboBox.h"
#include "framework/Exception.h"
#include "framework/Wnd.h"

namespace
{
CString WindowText(HWND hWnd)
{
    const int nLength = GetWindowTextLengthW(hWnd);
    std::vector<WCHAR> buffer(static_cast<size_t>(nLength) + 1, L'\0');
    GetWindowTextW(hWnd, buffer.data(), nLength + 1);
    return CString(buffer.data());
}
}

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
{
}

HWND CDataExchange::PrepareCtrl(int nIDC) const
{
    HWND hCtrl = GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    if (hCtrl == nullptr)
        throw new CException();
    return hCtrl;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    HWND hCtrl = pDX->PrepareCtrl(nIDC);
    // A dialog run a second time has new controls; the wrapper follows them.
    if (rControl.m_hWnd != hCtrl)
        rControl.m_hWnd = hCtrl;
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND hCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
    {
        value = WindowText(hCtrl);
        return;
    }
    const CString strCurrent = WindowText(hCtrl);
    if (strCurrent != value)
        SetWindowTextW(hCtrl, value);
}

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value)
{
    CComboBox box;
    box.m_hWnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
    {
        const int nSelected = box.GetCurSel();
        if (nSelected == CB_ERR)
            value.Empty();
        else
            box.GetLBText(nSelected, value);
        return;
    }
    // The box's own match from the selected entry on: when that entry still
    // answers to the text, it stays, so that of several entries with the same
    // text the one the user chose is kept.
    const int nSelected = box.GetCurSel();
    if (nSelected != CB_ERR && box.FindString(nSelected - 1, value) == nSelected)
        return;
    box.SelectString(-1, value);
}
