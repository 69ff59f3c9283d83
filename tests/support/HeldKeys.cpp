#include "support/HeldKeys.h"

#include <algorithm>
#include <iterator>

HeldKeys::HeldKeys(const std::vector<BYTE>& keys)
{
    GetKeyboardState(m_abSaved);
    BYTE abState[256];
    std::copy(std::begin(m_abSaved), std::end(m_abSaved), abState);
    for (BYTE nKey : keys)
        abState[nKey] |= 0x80;
    SetKeyboardState(abState);
}

HeldKeys::~HeldKeys()
{
    SetKeyboardState(m_abSaved);
}
