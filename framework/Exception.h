// The framework's exceptions are thrown as pointers to heap objects; whoever
// catches one owns it.
#ifndef FRAMEWORK_EXCEPTION_H
#define FRAMEWORK_EXCEPTION_H

#include <windows.h>

#include "framework/String.h"

class CException
{
public:
    CException();
    explicit CException(const CString& strText);
    virtual ~CException();

    // False when the exception carries no text of its own.
    virtual bool GetErrorMessage(CString& strText) const;
    // Shows the text, or "Internal application error." when there is none.
    virtual void ReportError(UINT nType) const;

private:
    CString m_strText;
};

#endif
