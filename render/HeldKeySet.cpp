#include "render/HeldKeySet.h"

namespace
{
// A key message's lParam: the key was already down, so this is an auto-repeat.
const LPARAM kPreviousStateDown = 0x40000000;

bool IsKeyDown(UINT uMsg)
{
    return uMsg == WM_KEYDOWN || uMsg == WM_SYSKEYDOWN;
}

bool IsKeyUp(UINT uMsg)
{
    return uMsg == WM_KEYUP || uMsg == WM_SYSKEYUP;
}
}

CHeldKeySet::CHeldKeySet() : m_abHeld()
{
}

void CHeldKeySet::Note()
{
    BYTE abState[256] = {};
    GetKeyboardState(abState);
    for (size_t i = 0; i < 256; ++i)
        m_abHeld[i] = (abState[i] & 0x80) != 0;
    // Key messages name Shift, Ctrl and Alt, never their left or right key:
    // a fresh press of Alt could not give VK_LMENU back.
    for (size_t i = VK_LSHIFT; i <= VK_RMENU; ++i)
        m_abHeld[i] = false;
}

bool CHeldKeySet::IsHeldKeyMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    const bool bDown = IsKeyDown(uMsg);
    const bool bUp = IsKeyUp(uMsg);
    if ((!bDown && !bUp) || wParam >= 256 || !m_abHeld[wParam])
        return false;
    const bool bRepeat = bDown && (lParam & kPreviousStateDown) != 0;
    if (!bRepeat)
        m_abHeld[wParam] = false;
    return bRepeat || bUp;
}

bool CHeldKeySet::Drops(const MSG& msg)
{
    if (IsHeldKeyMessage(msg.message, msg.wParam, msg.lParam))
        return true;
    // A window manager makes its own close of Alt+F4 and posts it as a
    // system command.
    const bool bClose = msg.message == WM_SYSCOMMAND && (msg.wParam & 0xFFF0) == SC_CLOSE;
    return (IsKeyDown(msg.message) || IsKeyUp(msg.message) || bClose) && AnyDown();
}

bool CHeldKeySet::AnyDown()
{
    bool bAny = false;
    for (int nKey = 0; nKey < 256; ++nKey)
    {
        // The state as of the message at hand; up means it came up unseen.
        if (m_abHeld[nKey] && (GetKeyState(nKey) & 0x8000) == 0)
            m_abHeld[nKey] = false;
        bAny = bAny || m_abHeld[nKey];
    }
    return bAny;
}

bool TakeQueuedInput(MSG& msg)
{
    return PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)
        || PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)
        || PeekMessageW(&msg, nullptr, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK, PM_REMOVE);
}
