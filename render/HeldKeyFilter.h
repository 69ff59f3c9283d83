// While it lives, the modal loops of this thread (a message box's among them)
// drop what the keys that were down when it was made still give, until each
// comes up: a key still held from an earlier press is no answer.
#ifndef QUILLABY_RENDER_HELDKEYFILTER_H
#define QUILLABY_RENDER_HELDKEYFILTER_H

#include <windows.h>

#include "render/HeldKeySet.h"

class CHeldKeyFilter
{
public:
    CHeldKeyFilter();
    ~CHeldKeyFilter();
    CHeldKeyFilter(const CHeldKeyFilter&) = delete;
    CHeldKeyFilter& operator=(const CHeldKeyFilter&) = delete;

private:
    static LRESULT CALLBACK FilterProc(int nCode, WPARAM wParam, LPARAM lParam);

    HHOOK m_hHook;
    CHeldKeyFilter* m_pOuter;
    CHeldKeySet m_held;
};

#endif
