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
    CString(LPCSTR psz);
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(LPCWSTR psz);
    CString& operator=(LPCSTR psz);

    int GetLength() const;
    bool IsEmpty() const;
    void Empty();
    LPCWSTR GetString() const;
    operator LPCWSTR() const;

    bool operator==(const CString& other) const;
    bool operator!=(const CString& other) const;
    bool operator==(LPCWSTR psz) const;
    bool operator!=(LPCWSTR psz) const;

private:
    std::wstring m_str;
};

#endif
