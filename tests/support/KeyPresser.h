// Presses a key through SendInput from a helper thread after a delay, as a
// person's key would arrive. Should the run still not have ended some seconds
// later, it posts a key-down to the given window itself, so that a test fails
// instead of hanging in exclusive full-screen mode.
#ifndef QUILLABY_TESTS_KEYPRESSER_H
#define QUILLABY_TESTS_KEYPRESSER_H

#include <windows.h>

#include <atomic>
#include <thread>

class KeyPresser
{
public:
    KeyPresser(HWND hWnd, DWORD dwDelayMs, DWORD dwRescueMs = 10000);
    // Waits for the helper thread; call once the run has ended.
    ~KeyPresser();
    KeyPresser(const KeyPresser&) = delete;
    KeyPresser& operator=(const KeyPresser&) = delete;

    // True when the real key did not end the run and the rescue key-down was posted.
    bool Rescued() const { return m_bRescued; }
    // SendInput's count of events it inserted (2 when the key went in).
    UINT Inserted() const { return m_nInserted; }
    // How often SendInput refused the key before it went in.
    int Retries() const { return m_nRetries; }

private:
    void Run(DWORD dwDelayMs, DWORD dwRescueMs);

    HWND m_hWnd;
    HANDLE m_hEnded;
    std::atomic<bool> m_bRescued;
    std::atomic<UINT> m_nInserted;
    std::atomic<int> m_nRetries;
    std::thread m_thread;
};

#endif
