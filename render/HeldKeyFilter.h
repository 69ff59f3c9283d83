// While it lives, the modal loops of this thread (a message box's among them)
// drop the auto-repeats of the keys that were down when it was made, until
// each comes up: a key still held from an earlier press is no answer.
#ifndef QUILLABY_RENDER_HELDKEYFILTER_H
#define QUILLABY_RENDER_HELDKEYFILTER_H

#include <windows.h>

class CHeldKeyFilter
{
public:
    CHeldKeyFilter();
    ~CHeldKeyFilter();
    CHeldKeyFilter(const CHeldKeyFilter&) = delete;
    CHeldKeyFilter& operator=(const CHeldKeyFilter&) = delete;

    // Whether the message is a key message of a key held since the filter
    // was made; its coming up, or a fresh press, gives the key back.
    bool Drops(const MSG& msg);

private:
    static LRESULT CALLBACK FilterProc(int nCode, WPARAM wParam, LPARAM lParam);

    HHOOK m_hHook;
    CHeldKeyFilter* m_pOuter;
    bool m_abHeld[256];
};

#endif
