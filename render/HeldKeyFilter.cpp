#include "render/HeldKeyFilter.h"

namespace
{
// WM_KEYDOWN's lParam: the key was already down, so this is an auto-repeat.
const LPARAM kPreviousStateDown = 0x40000000;

// The filter of this thread's innermost modal loop.
CHeldKeyFilter* s_pActive = nullptr;
}

CHeldKeyFilter::CHeldKeyFilter()
    : m_hHook(SetWindowsHookExW(WH_MSGFILTER, &FilterProc, nullptr, GetCurrentThreadId())), m_pOuter(s_pActive)
{
    BYTE abState[256] = {};
    GetKeyboardState(abState);
    for (size_t i = 0; i < 256; ++i)
        m_abHeld[i] = (abState[i] & 0x80) != 0;
    s_pActive = this;
}

CHeldKeyFilter::~CHeldKeyFilter()
{
    if (m_hHook != nullptr)
        UnhookWindowsHookEx(m_hHook);
    s_pActive = m_pOuter;
}

bool CHeldKeyFilter::Drops(const MSG& msg)
{
    const bool bDown = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    const bool bUp = msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
    if ((!bDown && !bUp) || msg.wParam >= 256 || !m_abHeld[msg.wParam])
        return false;
    const bool bRepeat = bDown && (msg.lParam & kPreviousStateDown) != 0;
    if (!bRepeat)
        m_abHeld[msg.wParam] = false;
    return bRepeat || bUp;
}

LRESULT CALLBACK CHeldKeyFilter::FilterProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    // A non-zero answer tells the modal loop that the message is dealt with.
    if (nCode >= 0 && s_pActive != nullptr && s_pActive->Drops(*reinterpret_cast<const MSG*>(lParam)))
        return TRUE;
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}
