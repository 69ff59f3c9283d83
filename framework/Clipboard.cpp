#include "framework/Clipboard.h"

#include <cstring>

namespace
{
// The clipboard, open for the object's life.
class OpenClipboardFor
{
public:
    explicit OpenClipboardFor(HWND hOwner) : m_bOpen(OpenClipboard(hOwner) != FALSE) {}
    ~OpenClipboardFor()
    {
        if (m_bOpen)
            CloseClipboard();
    }
    OpenClipboardFor(const OpenClipboardFor&) = delete;
    OpenClipboardFor& operator=(const OpenClipboardFor&) = delete;

    bool IsOpen() const { return m_bOpen; }

private:
    bool m_bOpen;
};
}

bool SetClipboardText(HWND hOwner, const std::wstring& strText)
{
    const OpenClipboardFor clipboard(hOwner);
    if (!clipboard.IsOpen() || !EmptyClipboard())
        return false;
    const size_t nBytes = (strText.size() + 1) * sizeof(wchar_t);
    HGLOBAL hText = GlobalAlloc(GMEM_MOVEABLE, nBytes);
    if (hText == nullptr)
        return false;
    void* pText = GlobalLock(hText);
    if (pText == nullptr)
    {
        GlobalFree(hText);
        return false;
    }
    std::memcpy(pText, strText.c_str(), nBytes);
    GlobalUnlock(hText);
    // Once placed, the text is the clipboard's; otherwise it is still ours.
    if (SetClipboardData(CF_UNICODETEXT, hText) == nullptr)
    {
        GlobalFree(hText);
        return false;
    }
    return true;
}
