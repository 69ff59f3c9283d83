#include "support/ModalDriver.h"

#include "framework/Dialog.h"

namespace
{
ModalDriver* s_pActive = nullptr;
const UINT kTickMs = 20;
// About five seconds after the last step.
const int kGraceTicks = 250;

BOOL CALLBACK CloseWindowProc(HWND hWnd, LPARAM)
{
    PostMessageW(hWnd, WM_CLOSE, 0, 0);
    return TRUE;
}

INPUT KeyInput(WORD wVirtKey, bool bUp)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = wVirtKey;
    input.ki.dwFlags = bUp ? KEYEVENTF_KEYUP : 0;
    return input;
}
}

ModalDriver::ModalDriver(std::vector<Step> steps)
    : m_steps(std::move(steps)), m_nNext(0), m_nIdleTicks(0), m_bTimedOut(false), m_bInStep(false),
      m_nTimer(SetTimer(nullptr, 0, kTickMs, &TimerProc))
{
    s_pActive = this;
}

ModalDriver::~ModalDriver()
{
    KillTimer(nullptr, m_nTimer);
    s_pActive = nullptr;
}

void CALLBACK ModalDriver::TimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    if (s_pActive != nullptr)
        s_pActive->Tick();
}

void ModalDriver::Tick()
{
    // A step that opens a nested loop (a message box) must not be re-entered.
    if (m_bInStep)
        return;
    if (m_nNext < m_steps.size())
    {
        m_bInStep = true;
        const size_t nStep = m_nNext++;
        m_steps[nStep]();
        m_bInStep = false;
        return;
    }
    if (++m_nIdleTicks == kGraceTicks)
    {
        m_bTimedOut = true;
        EnumThreadWindows(GetCurrentThreadId(), &CloseWindowProc, 0);
    }
}

void PressKey(WORD wVirtKey)
{
    INPUT inputs[2] = {KeyInput(wVirtKey, false), KeyInput(wVirtKey, true)};
    SendInput(2, inputs, sizeof(INPUT));
}

void PressKeyWith(WORD wModifier, WORD wVirtKey)
{
    if (wModifier == 0)
    {
        PressKey(wVirtKey);
        return;
    }
    INPUT inputs[4] = {KeyInput(wModifier, false), KeyInput(wVirtKey, false), KeyInput(wVirtKey, true),
                       KeyInput(wModifier, true)};
    SendInput(4, inputs, sizeof(INPUT));
}

void PostKey(HWND hWnd, WORD wVirtKey)
{
    // Repeat count 1; the release also has the previous-state and transition bits.
    const LPARAM lDown = 1;
    const LPARAM lUp = static_cast<LPARAM>(0xC0000001u);
    PostMessageW(hWnd, WM_KEYDOWN, wVirtKey, lDown);
    PostMessageW(hWnd, WM_KEYUP, wVirtKey, lUp);
}

ModalRun RunModal(CDialog& dlg, std::vector<ModalDriver::Step> steps)
{
    ModalDriver driver(std::move(steps));
    const INT_PTR nResult = dlg.DoModal();
    return ModalRun{nResult, driver.TimedOut(), driver.StepsRun()};
}
