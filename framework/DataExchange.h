// Dialog data exchange: one DoDataExchange lists every control, and the
// direction decides whether controls are read into members or written from
// them. The exchange never moves the focus.
#ifndef FRAMEWORK_DATAEXCHANGE_H
#define FRAMEWORK_DATAEXCHANGE_H

#include <windows.h>

#include "framework/String.h"

class CWnd;

class CDataExchange
{
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    // The control's window; throws a CException when the dialog has no
    // control of that id.
    HWND PrepareCtrl(int nIDC) const;

    // TRUE: controls into members; FALSE: members into controls.
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// Attaches the wrapper to the control, once per window.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// The whole text of an edit field or a label. On the way to the control the
// text is replaced only when it differs, so caret and selection survive.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
// From the box: the selected entry's text, or empty. To the box: the selected
// entry stays while its text begins with value, whatever the case; otherwise
// the first such entry from the top is selected, and no match leaves the
// selection alone.
void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value);

#endif
