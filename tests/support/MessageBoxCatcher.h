// Closes every message box that the test thread opens, through a thread WH_CBT
// hook, and records its caption and text. Nothing waits for a person.
#ifndef QUILLABY_TESTS_MESSAGEBOXCATCHER_H
#define QUILLABY_TESTS_MESSAGEBOXCATCHER_H

#include <windows.h>
#include <string>
#include <vector>

struct CaughtBox
{
    std::wstring strCaption;
    std::wstring strText;
    HWND hOwner;        // null for a box without owner
    bool bOwnerEnabled; // whether the owner took input while the box was up
};

class MessageBoxCatcher
{
public:
    MessageBoxCatcher();
    ~MessageBoxCatcher();
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

    const std::vector<CaughtBox>& Boxes() const { return m_boxes; }

private:
    static LRESULT CALLBACK HookProc(int nCode, WPARAM wParam, LPARAM lParam);

    HHOOK m_hHook;
    std::vector<CaughtBox> m_boxes;
};

#endif
