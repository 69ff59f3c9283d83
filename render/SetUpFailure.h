// The text of the box that reports a failed renderer set-up.
#ifndef QUILLABY_RENDER_SETUPFAILURE_H
#define QUILLABY_RENDER_SETUPFAILURE_H

#include <windows.h>

#include <optional>
#include <string>

// Says that the test could not take over the display, which step failed, with
// DirectDraw's result for a DirectDraw step, and the system's text for the
// last error only when there is one: DirectDraw leaves it at 0 when it fails.
std::wstring SetUpFailureText(const wchar_t* pszStep, std::optional<HRESULT> result, DWORD dwLastError);

// Says that the run ended because the display could not be set up again for
// its new mode within that many milliseconds, and which step failed with what.
std::wstring RebuildFailureText(const wchar_t* pszStep, HRESULT result, DWORD dwLastError, DWORD dwMs);

#endif
