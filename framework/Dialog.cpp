#include "framework/Dialog.h"

#include "framework/WinApp.h"
#include "framework/WorkArea.h"

const MessageMapEntry CDialog::s_messageEntries[] = {
    MessageMapFor<CDialog>::Message<WM_INITDIALOG, &CDialog::HandleInitDialog>(),
    MessageMapFor<CDialog>::Command<BN_CLICKED, IDOK, &CDialog::OnOK>(),
    MessageMapFor<CDialog>::Command<BN_CLICKED, IDCANCEL, &CDialog::OnCancel>(),
};
const MessageMap CDialog::s_messageMap = {&CWnd::s_messageMap, s_messageEntries, std::size(s_messageEntries)};

const MessageMap* CDialog::GetMessageMap() const
{
    return &s_messageMap;
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd), m_bEndModal(false), m_nModalResult(-1)
{
    m_nIDHelp = nIDTemplate;
}

CDialog::~CDialog()
{
    if (m_hWnd != nullptr)
        DestroyWindow(m_hWnd);
}

INT_PTR CDialog::DoModal()
{
    HWND hParent = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    m_bEndModal = false;
    m_nModalResult = -1;
    const LPARAM lThis = reinterpret_cast<LPARAM>(this);
    HWND hWnd = CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), hParent,
                                   &DialogProc, lThis);
    if (hWnd == nullptr)
        return -1;

    const bool bReenableParent = hParent != nullptr && !EnableWindow(hParent, FALSE);
    if (!m_bEndModal && m_hWnd != nullptr && !IsWindowVisible(m_hWnd))
        ShowWindow(m_hWnd, SW_SHOWNORMAL);
    RunModalLoop();
    // Before the dialog goes, so that the activation returns to the parent.
    if (bReenableParent)
        EnableWindow(hParent, TRUE);
    if (m_hWnd != nullptr)
        DestroyWindow(m_hWnd);
    return m_nModalResult;
}

void CDialog::RunModalLoop()
{
    MSG msg;
    while (!m_bEndModal && m_hWnd != nullptr)
    {
        const BOOL bGot = GetMessageW(&msg, nullptr, 0, 0);
        if (bGot == 0)
        {
            // The quit belongs to whoever runs the loop outside this dialog.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (bGot == -1)
            break;
        if (!PreTranslateMessage(&msg))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    m_bEndModal = true;
    // Wakes the modal loop in case this was called from outside a message.
    if (m_hWnd != nullptr)
        PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN)
        MakeFocusedButtonDefault();
    return IsDialogMessageW(m_hWnd, pMsg);
}

void CDialog::MakeFocusedButtonDefault()
{
    // Focus that came by a click or SetFocus does not make a push button the
    // default, so Enter would give IDOK; the dialog manager's own focus move
    // onto the same control does.
    HWND hFocus = GetFocus();
    if (hFocus == nullptr || !IsChild(m_hWnd, hFocus))
        return;
    const LRESULT nCode = ::SendMessageW(hFocus, WM_GETDLGCODE, 0, 0);
    if ((nCode & DLGC_UNDEFPUSHBUTTON) == 0)
        return;
    const WPARAM wFocus = reinterpret_cast<WPARAM>(hFocus);
    ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, wFocus, TRUE);
}

bool CDialog::OnCmdMsg(UINT nCode, UINT nId)
{
    if (CWnd::OnCmdMsg(nCode, nId))
        return true;
    // Control notifications stay with the dialog; plain commands get a last
    // chance at the application.
    if (nCode != 0)
        return false;
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr && pApp->OnCmdMsg(nCode, nId);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // Everything after WM_INITDIALOG comes through the subclassed window
    // procedure; the dialog manager's defaults are what this returns FALSE for.
    if (uMsg != WM_INITDIALOG)
        return FALSE;
    CDialog* pDialog = reinterpret_cast<CDialog*>(lParam);
    pDialog->SubclassWindow(hWnd);
    return pDialog->Dispatch(uMsg, wParam, lParam);
}

BOOL CDialog::HandleInitDialog()
{
    RECT rcBefore;
    GetWindowRect(m_hWnd, &rcBefore);
    const BOOL bResult = OnInitDialog();
    if (m_hWnd == nullptr)
        return bResult;
    RECT rcAfter;
    GetWindowRect(m_hWnd, &rcAfter);
    // A dialog that placed itself while initialising keeps its place.
    const bool bChild = (GetWindowLongW(m_hWnd, GWL_STYLE) & WS_CHILD) != 0;
    if (!bChild && EqualRect(&rcBefore, &rcAfter))
        CenterInWorkArea();
    return bResult;
}

void CDialog::CenterInWorkArea()
{
    RECT rcWork;
    if (!AfxGetWorkArea(m_hWnd, rcWork))
        return;
    RECT rcWindow;
    GetWindowRect(m_hWnd, &rcWindow);
    const int nWidth = rcWindow.right - rcWindow.left;
    const int nHeight = rcWindow.bottom - rcWindow.top;
    int x = rcWork.left + (rcWork.right - rcWork.left - nWidth) / 2;
    int y = rcWork.top + (rcWork.bottom - rcWork.top - nHeight) / 2;
    // A dialog larger than the work area keeps its caption reachable.
    if (x < rcWork.left)
        x = rcWork.left;
    if (y < rcWork.top)
        y = rcWork.top;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}
