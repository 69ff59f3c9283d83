#include "support/KeyPresser.h"

KeyPresser::KeyPresser(HWND hWnd, DWORD dwDelayMs, DWORD dwRescueMs)
    : m_hWnd(hWnd), m_hEnded(CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_bRescued(false), m_nInserted(0), m_nRetries(0),
      m_thread(&KeyPresser::Run, this, dwDelayMs, dwRescueMs)
{
}

KeyPresser::~KeyPresser()
{
    SetEvent(m_hEnded);
    m_thread.join();
    CloseHandle(m_hEnded);
}

void KeyPresser::Run(DWORD dwDelayMs, DWORD dwRescueMs)
{
    if (WaitForSingleObject(m_hEnded, dwDelayMs) == WAIT_OBJECT_0)
        return;
    INPUT inputs[2] = {};
    for (INPUT& input : inputs)
    {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = VK_SPACE;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(VK_SPACE, MAPVK_VK_TO_VSC));
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    // Under load Wine now and then refuses an injected key outright, as a
    // keyboard may drop a press; a person would press again.
    for (int nAttempt = 0; nAttempt < 10; ++nAttempt)
    {
        m_nInserted = SendInput(2, inputs, sizeof(INPUT));
        if (m_nInserted == 2 || WaitForSingleObject(m_hEnded, 100) == WAIT_OBJECT_0)
            break;
        ++m_nRetries;
    }
    if (WaitForSingleObject(m_hEnded, dwRescueMs) == WAIT_OBJECT_0)
        return;
    m_bRescued = true;
    PostMessageW(m_hWnd, WM_KEYDOWN, VK_SPACE, 0);
}
