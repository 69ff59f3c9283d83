// Wide text with value semantics. Narrow text is taken through the ANSI code
// page, as the system's own narrow functions would read it.
#ifndef FRAMEWORK_STRING_H
#define FRAMEWORK_STRING_H

#include <windows.h>
#include <string>

class CString
{
public:
    CString();
    CString(const CString& other);
    CString(LPCWSTR psz);
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(LPCWSTR psz);
    CString& operator=(LPCSTR psz);

    bool IsEmpty() const;
    void Empty();
    operator LPCWSTR() const;

    bool operator!=(const CString& other) const;
    // Nothing needs equality. Deleted, so that a comparison can't fall back
    // to comparing the two texts' addresses.
    bool operator==(const CString& other) const = delete;

private:
    std::wstring m_str;
};

#endif
