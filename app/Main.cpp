// Until the dialog classes arrive: show the settings dialog from its template.
#include <windows.h>

#include "res/resource.h"

namespace
{
INT_PTR CALLBACK PlainDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
    if (uMsg == WM_INITDIALOG)
        return TRUE;
    if (uMsg == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK))
    {
        EndDialog(hDlg, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    DialogBoxParamW(hInstance, MAKEINTRESOURCEW(IDD_SWEEP_DIALOG), nullptr, &PlainDialogProc, 0);
    return 0;
}
