// The application object. Exactly one is constructed, statically; the entry
// point hands the process to it.
#ifndef FRAMEWORK_WINAPP_H
#define FRAMEWORK_WINAPP_H

#include <windows.h>

#include "framework/CmdTarget.h"
#include "framework/String.h"

class CWnd;

#ifndef ID_HELP
#define ID_HELP 57670
#endif
// Help contexts of resources (dialog templates) start here.
#ifndef HID_BASE_RESOURCE
#define HID_BASE_RESOURCE 0x00020000UL
#endif

class CWinApp : public CCmdTarget
{
public:
    CWinApp();
    ~CWinApp() override;

    // The program's whole interactive life, typically a modal dialog. The
    // framework runs no message loop of its own, so the program ends when
    // this returns, whatever it returns.
    virtual BOOL InitInstance() = 0;
    // The process exit status.
    virtual int ExitInstance();
    // Asks the help engine for the program's help file.
    virtual void WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT);
    // ID_HELP: help on the main window's context.
    void OnHelp();

    HINSTANCE m_hInstance;
    CWnd* m_pMainWnd;
    // The program file's name without its extension; it titles the
    // framework's own message boxes.
    CString m_strAppName;
    // The program's full path with its extension replaced by ".HLP".
    CString m_strHelpFilePath;

protected:
    // The three-dimensional look is the system's own on every supported
    // version, so there is nothing to register; FALSE says none was.
    BOOL Enable3dControlsStatic();
};

CWinApp* AfxGetApp();
// Where dialog templates and icons are loaded from.
HINSTANCE AfxGetResourceHandle();
// A message box titled with the application's name, owned by its main window.
int AfxMessageBox(LPCWSTR pszText, UINT nType = MB_OK | MB_ICONEXCLAMATION);
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR pszCmdLine, int nCmdShow);

// The help engine; tests may put a stand-in here.
extern BOOL (WINAPI* g_pfnWinHelpW)(HWND hWndMain, LPCWSTR pszHelp, UINT uCommand, ULONG_PTR dwData);

#endif
