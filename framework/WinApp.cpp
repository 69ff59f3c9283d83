#include "framework/WinApp.h"

#include <string>

#include "framework/Wnd.h"

BOOL (WINAPI* g_pfnWinHelpW)(HWND, LPCWSTR, UINT, ULONG_PTR) = &::WinHelpW;

namespace
{
CWinApp* s_pApp = nullptr;

std::wstring ProgramPath()
{
    std::wstring strPath(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD nSize = static_cast<DWORD>(strPath.size());
        const DWORD nLength = GetModuleFileNameW(nullptr, &strPath[0], nSize);
        if (nLength < nSize)
        {
            strPath.resize(nLength);
            return strPath;
        }
        strPath.resize(strPath.size() * 2);
    }
}

size_t NameStart(const std::wstring& strPath)
{
    const size_t nSlash = strPath.find_last_of(L"\\/");
    return nSlash == std::wstring::npos ? 0 : nSlash + 1;
}

// The position of the extension's dot, or the end when the name has none.
size_t ExtensionStart(const std::wstring& strPath)
{
    const size_t nDot = strPath.find_last_of(L'.');
    if (nDot == std::wstring::npos || nDot < NameStart(strPath))
        return strPath.size();
    return nDot;
}

std::wstring DisplayName(const std::wstring& strPath)
{
    const size_t nStart = NameStart(strPath);
    return strPath.substr(nStart, ExtensionStart(strPath) - nStart);
}

std::wstring HelpFilePath(const std::wstring& strPath)
{
    return strPath.substr(0, ExtensionStart(strPath)) + L".HLP";
}
}

CWinApp::CWinApp() : m_hInstance(GetModuleHandleW(nullptr)), m_pMainWnd(nullptr)
{
    const std::wstring strPath = ProgramPath();
    m_strAppName = DisplayName(strPath).c_str();
    m_strHelpFilePath = HelpFilePath(strPath).c_str();
    // There is one application object; a second one is never the application.
    if (s_pApp == nullptr)
        s_pApp = this;
}

CWinApp::~CWinApp()
{
    if (s_pApp == this)
        s_pApp = nullptr;
}

int CWinApp::ExitInstance()
{
    return 0;
}

void CWinApp::OnHelp()
{
    if (m_pMainWnd == nullptr)
        return;
    const DWORD_PTR dwContext = HID_BASE_RESOURCE + m_pMainWnd->m_nIDHelp;
    WinHelp(dwContext, HELP_CONTEXT);
}

void CWinApp::WinHelp(DWORD_PTR dwData, UINT nCmd)
{
    HWND hMainWnd = m_pMainWnd != nullptr ? m_pMainWnd->m_hWnd : nullptr;
    if (!g_pfnWinHelpW(hMainWnd, m_strHelpFilePath, nCmd, dwData))
        AfxMessageBox(L"Failed to launch help.", MB_OK | MB_ICONEXCLAMATION);
}

BOOL CWinApp::Enable3dControlsStatic()
{
    return FALSE;
}

CWinApp* AfxGetApp()
{
    return s_pApp;
}

HINSTANCE AfxGetResourceHandle()
{
    return s_pApp != nullptr ? s_pApp->m_hInstance : GetModuleHandleW(nullptr);
}

int AfxMessageBox(LPCWSTR pszText, UINT nType)
{
    CString strCaption;
    HWND hOwner = nullptr;
    if (s_pApp != nullptr)
    {
        strCaption = s_pApp->m_strAppName;
        if (s_pApp->m_pMainWnd != nullptr)
            hOwner = s_pApp->m_pMainWnd->m_hWnd;
    }
    else
    {
        strCaption = DisplayName(ProgramPath()).c_str();
    }
    return MessageBoxW(hOwner, pszText, strCaption, nType);
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return -1;
    pApp->m_hInstance = hInstance;
    pApp->InitInstance();
    // A main window that InitInstance left behind goes with it.
    if (pApp->m_pMainWnd != nullptr && pApp->m_pMainWnd->m_hWnd != nullptr)
        DestroyWindow(pApp->m_pMainWnd->m_hWnd);
    return pApp->ExitInstance();
}
