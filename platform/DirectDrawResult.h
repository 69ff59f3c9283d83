// DirectDraw's result codes as people read them: by name where known, always
// with the code in hex.
#ifndef QUILLABY_PLATFORM_DIRECTDRAWRESULT_H
#define QUILLABY_PLATFORM_DIRECTDRAWRESULT_H

#include <windows.h>

#include <string>

// The name of a result DirectDraw or COM gives, or null for an unknown code.
// Codes that ddraw.h defines as COM codes carry both names.
const wchar_t* DirectDrawResultName(HRESULT hr);

// "DDERR_OUTOFVIDEOMEMORY (0x8876017C)"; an unknown code as "0x88760999".
std::wstring DirectDrawResultText(HRESULT hr);

#endif
