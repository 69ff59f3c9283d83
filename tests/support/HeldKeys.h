// Holds keys down in the thread's key state, as when a key pressed earlier is
// still down; puts the state back when it goes.
#ifndef QUILLABY_TESTS_HELDKEYS_H
#define QUILLABY_TESTS_HELDKEYS_H

#include <windows.h>

#include <vector>

class HeldKeys
{
public:
    explicit HeldKeys(const std::vector<BYTE>& keys);
    ~HeldKeys();
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    BYTE m_abSaved[256];
};

// WM_KEYDOWN's lParam for one press: a new press, or an auto-repeat (the
// previous-state bit set); and WM_KEYUP's.
const LPARAM kKeyPressed = 0x00000001;
const LPARAM kKeyRepeated = 0x40000001;
const LPARAM kKeyReleased = static_cast<LPARAM>(0xC0000001u);

#endif
