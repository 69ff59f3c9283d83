// A window that the framework dispatches through message maps. The window is
// subclassed: messages that no map entry handles go on to its original
// window procedure.
#ifndef FRAMEWORK_WND_H
#define FRAMEWORK_WND_H

#include <windows.h>

#include "framework/CmdTarget.h"

class CDataExchange;

class CWnd : public CCmdTarget
{
public:
    CWnd();
    ~CWnd() override;

    // Runs DoDataExchange: TRUE takes the controls into the members, FALSE
    // puts the members into the controls. FALSE when the exchange was refused.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    // The original window procedure's handling of the message now dispatched.
    LRESULT Default();
    void GetClientRect(LPRECT pRect) const;
    BOOL IsIconic() const;

    HWND m_hWnd;
    // The help context of the window, relative to the resource base; a
    // dialog's is its template id.
    UINT m_nIDHelp;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam);
    LRESULT CallOriginalProc(UINT uMsg, WPARAM wParam, LPARAM lParam);

    // Routes the window's messages through WindowProc from now on.
    void SubclassWindow(HWND hWnd);
    // WindowProc, with exceptions of the framework's kind caught and reported.
    LRESULT Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam);

    BOOL OnHelpInfo(HELPINFO* pInfo);

    static const MessageMapEntry s_messageEntries[];
    static const MessageMap s_messageMap;
    const MessageMap* GetMessageMap() const override;

private:
    struct CurrentMessage
    {
        UINT uMsg;
        WPARAM wParam;
        LPARAM lParam;
    };

    static LRESULT CALLBACK StdWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    void Unsubclass();

    WNDPROC m_pfnSuper;
    CurrentMessage m_current;
};

#endif
