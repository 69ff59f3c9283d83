#include "support/MessageBoxCatcher.h"

namespace
{
MessageBoxCatcher* s_pActive = nullptr;

std::wstring WindowText(HWND hWnd)
{
    WCHAR sz[1024] = L"";
    GetWindowTextW(hWnd, sz, 1024);
    return sz;
}

// The message text is the box's static control (id 0xFFFF).
std::wstring BoxText(HWND hBox)
{
    HWND hStatic = GetDlgItem(hBox, 0xFFFF);
    return hStatic != nullptr ? WindowText(hStatic) : std::wstring();
}
}

MessageBoxCatcher::MessageBoxCatcher()
    : m_hHook(SetWindowsHookExW(WH_CBT, &HookProc, nullptr, GetCurrentThreadId()))
{
    s_pActive = this;
}

MessageBoxCatcher::~MessageBoxCatcher()
{
    UnhookWindowsHookEx(m_hHook);
    s_pActive = nullptr;
}

LRESULT CALLBACK MessageBoxCatcher::HookProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_ACTIVATE && s_pActive != nullptr)
    {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        WCHAR szClass[64] = L"";
        GetClassNameW(hWnd, szClass, 64);
        // Only a message box has both its text control and an OK button.
        if (lstrcmpW(szClass, L"#32770") == 0 && GetDlgItem(hWnd, 0xFFFF) != nullptr
            && GetDlgItem(hWnd, IDOK) != nullptr)
        {
            HWND hOwner = GetWindow(hWnd, GW_OWNER);
            const bool bOwnerEnabled = hOwner != nullptr && IsWindowEnabled(hOwner);
            s_pActive->m_boxes.push_back(CaughtBox{WindowText(hWnd), BoxText(hWnd), hOwner, bOwnerEnabled});
            PostMessageW(hWnd, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}
