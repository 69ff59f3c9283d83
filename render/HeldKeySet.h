// The keys that were down at a run's edge, as it starts or as it ends, and
// what the key messages after it mean: a key still held from an earlier press
// is no new press, and no answer to what comes next.
#ifndef QUILLABY_RENDER_HELDKEYSET_H
#define QUILLABY_RENDER_HELDKEYSET_H

#include <windows.h>

class CHeldKeySet
{
public:
    CHeldKeySet();

    // Notes the keys down in the thread's key state now.
    void Note();
    // Whether the message is a noted key's own and no new press: an
    // auto-repeat, or its coming up, which lets it go. A fresh press lets it
    // go too: it came up unseen, and the key is the user's again.
    bool IsHeldKeyMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // The same, and also any other key, or a window manager's close, while a
    // noted key is still down: a combination made with it (Alt held from the
    // run, then F4) is not meant for a window that came up meanwhile.
    bool Drops(const MSG& msg);

private:
    // Whether a noted key is still down; those that came up unseen are let go.
    bool AnyDown();

    bool m_abHeld[256];
};

// Takes the thread's next keyboard or mouse message off the queue, whichever
// of its windows it is for: input given while a run lasted is dropped, never
// replayed to a window the user could not see.
bool TakeQueuedInput(MSG& msg);

#endif
