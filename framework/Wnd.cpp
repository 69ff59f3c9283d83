#include "framework/Wnd.h"

#include <memory>

#include "framework/DataExchange.h"
#include "framework/Exception.h"
#include "framework/WinApp.h"

namespace
{
const wchar_t kWndProperty[] = L"Framework.CWnd";

CWnd* FromHandle(HWND hWnd)
{
    return static_cast<CWnd*>(GetPropW(hWnd, kWndProperty));
}

bool IsKeyDown(int nVirtKey)
{
    return GetKeyState(nVirtKey) < 0;
}
}

const MessageMapEntry CWnd::s_messageEntries[] = {
    MessageMapFor<CWnd>::Message<WM_HELP, &CWnd::OnHelpInfo>(),
};
const MessageMap CWnd::s_messageMap = {&CCmdTarget::s_messageMap, s_messageEntries, std::size(s_messageEntries)};

const MessageMap* CWnd::GetMessageMap() const
{
    return &s_messageMap;
}

CWnd::CWnd() : m_hWnd(nullptr), m_nIDHelp(0), m_pfnSuper(nullptr), m_current{0, 0, 0} {}

CWnd::~CWnd()
{
    Unsubclass();
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this)
        pApp->m_pMainWnd = nullptr;
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    try
    {
        DoDataExchange(&dx);
    }
    catch (CException* pException)
    {
        std::unique_ptr<CException> owner(pException);
        owner->ReportError(MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

LRESULT CWnd::Default()
{
    return CallOriginalProc(m_current.uMsg, m_current.wParam, m_current.lParam);
}

void CWnd::GetClientRect(LPRECT pRect) const
{
    ::GetClientRect(m_hWnd, pRect);
}

BOOL CWnd::IsIconic() const
{
    return ::IsIconic(m_hWnd);
}

LRESULT CWnd::CallOriginalProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != nullptr)
        return CallWindowProcW(m_pfnSuper, m_hWnd, uMsg, wParam, lParam);
    return DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_COMMAND)
    {
        const UINT nCode = HIWORD(wParam);
        const UINT nId = LOWORD(wParam);
        if (OnCmdMsg(nCode, nId))
            return 0;
        return CallOriginalProc(uMsg, wParam, lParam);
    }
    const MessageMapEntry* pEntry = FindEntry(uMsg, 0, 0);
    if (pEntry != nullptr)
        return pEntry->pfnInvoke(*this, wParam, lParam);
    return CallOriginalProc(uMsg, wParam, lParam);
}

LRESULT CWnd::Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // Messages nest (a handler may send another one), so Default() must see
    // the one its own handler was called for.
    const CurrentMessage saved = m_current;
    m_current = CurrentMessage{uMsg, wParam, lParam};
    LRESULT lResult = 0;
    try
    {
        lResult = WindowProc(uMsg, wParam, lParam);
    }
    catch (CException* pException)
    {
        std::unique_ptr<CException> owner(pException);
        // Otherwise the failed paint would be asked for again at once.
        if (uMsg == WM_PAINT)
            ValidateRect(m_hWnd, nullptr);
        owner->ReportError(MB_OK | MB_ICONSTOP);
    }
    m_current = saved;
    return lResult;
}

void CWnd::SubclassWindow(HWND hWnd)
{
    m_hWnd = hWnd;
    SetPropW(hWnd, kWndProperty, this);
    const LONG_PTR lNewProc = reinterpret_cast<LONG_PTR>(&StdWndProc);
    m_pfnSuper = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hWnd, GWLP_WNDPROC, lNewProc));
}

void CWnd::Unsubclass()
{
    if (m_hWnd == nullptr || m_pfnSuper == nullptr)
        return;
    const LONG_PTR lOldProc = reinterpret_cast<LONG_PTR>(m_pfnSuper);
    SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, lOldProc);
    RemovePropW(m_hWnd, kWndProperty);
    m_pfnSuper = nullptr;
    m_hWnd = nullptr;
}

LRESULT CALLBACK CWnd::StdWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandle(hWnd);
    if (pWnd == nullptr)
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    const LRESULT lResult = pWnd->Dispatch(uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY)
    {
        // The window is gone: the object no longer stands for it, nor for the
        // application's main window.
        pWnd->Unsubclass();
        CWinApp* pApp = AfxGetApp();
        if (pApp != nullptr && pApp->m_pMainWnd == pWnd)
            pApp->m_pMainWnd = nullptr;
    }
    return lResult;
}

BOOL CWnd::OnHelpInfo(HELPINFO*)
{
    // F1 with Shift, Ctrl or Alt held asks for something other than help.
    CWinApp* pApp = AfxGetApp();
    CWnd* pMainWnd = pApp != nullptr ? pApp->m_pMainWnd : nullptr;
    const bool bModifier = IsKeyDown(VK_SHIFT) || IsKeyDown(VK_CONTROL) || IsKeyDown(VK_MENU);
    const bool bTopLevel = (GetWindowLongW(m_hWnd, GWL_STYLE) & WS_CHILD) == 0;
    if (pMainWnd == nullptr || pMainWnd->m_hWnd == nullptr || bModifier || !bTopLevel)
        return static_cast<BOOL>(Default());
    ::SendMessageW(pMainWnd->m_hWnd, WM_COMMAND, ID_HELP, 0);
    return TRUE;
}
