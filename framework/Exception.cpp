#include "framework/Exception.h"

#include "framework/WinApp.h"

CException::CException() {}

CException::CException(const CString& strText) : m_strText(strText) {}

CException::~CException() {}

bool CException::GetErrorMessage(CString& strText) const
{
    if (m_strText.IsEmpty())
        return false;
    strText = m_strText;
    return true;
}

void CException::ReportError(UINT nType) const
{
    CString strText;
    if (!GetErrorMessage(strText))
        strText = L"Internal application error.";
    AfxMessageBox(strText, nType);
}
