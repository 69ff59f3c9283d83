#include "render/HeldKeyFilter.h"

namespace
{
// The filter of this thread's innermost modal loop.
CHeldKeyFilter* s_pActive = nullptr;
}

CHeldKeyFilter::CHeldKeyFilter()
    : m_hHook(SetWindowsHookExW(WH_MSGFILTER, &FilterProc, nullptr, GetCurrentThreadId())), m_pOuter(s_pActive)
{
    m_held.Note();
    s_pActive = this;
}

CHeldKeyFilter::~CHeldKeyFilter()
{
    if (m_hHook != nullptr)
        UnhookWindowsHookEx(m_hHook);
    s_pActive = m_pOuter;
}

LRESULT CALLBACK CHeldKeyFilter::FilterProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    // A non-zero answer tells the modal loop that the message is dealt with.
    if (nCode >= 0 && s_pActive != nullptr && s_pActive->m_held.Drops(*reinterpret_cast<const MSG*>(lParam)))
        return TRUE;
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}
