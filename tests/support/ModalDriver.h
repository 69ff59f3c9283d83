// Drives a modal loop from inside the test thread. Each step runs from a
// thread timer, so it comes only after everything the previous step queued
// (posted messages and input) has been handled. When the loop still runs
// well after the last step, every window of the thread is sent WM_CLOSE and
// TimedOut() says so: nothing ever waits for a person.
#ifndef QUILLABY_TESTS_MODALDRIVER_H
#define QUILLABY_TESTS_MODALDRIVER_H

#include <windows.h>
#include <functional>
#include <vector>

class ModalDriver
{
public:
    typedef std::function<void()> Step;

    explicit ModalDriver(std::vector<Step> steps);
    ~ModalDriver();
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    bool TimedOut() const { return m_bTimedOut; }
    size_t StepsRun() const { return m_nNext; }

private:
    static void CALLBACK TimerProc(HWND hWnd, UINT uMsg, UINT_PTR nId, DWORD dwTime);
    void Tick();

    std::vector<Step> m_steps;
    size_t m_nNext;
    int m_nIdleTicks;
    bool m_bTimedOut;
    bool m_bInStep;
    UINT_PTR m_nTimer;
};

class CDialog;

struct ModalRun
{
    INT_PTR nResult;
    bool bTimedOut;
    size_t nStepsRun;
};

// DoModal with the steps run from inside its loop.
ModalRun RunModal(CDialog& dlg, std::vector<ModalDriver::Step> steps);

// Keyboard input as a person gives it, through the system's input queue.
void PressKey(WORD wVirtKey);
// With the modifier key (VK_CONTROL, VK_SHIFT, VK_MENU) held; 0 holds none.
void PressKeyWith(WORD wModifier, WORD wVirtKey);

// Posts a key press to a control, as the queue would deliver it.
void PostKey(HWND hWnd, WORD wVirtKey);

#endif
