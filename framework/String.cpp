#include "framework/String.h"

namespace
{
std::wstring FromAnsi(LPCSTR psz)
{
    std::wstring str;
    if (psz == nullptr || *psz == '\0')
        return str;
    const int nLength = MultiByteToWideChar(CP_ACP, 0, psz, -1, nullptr, 0);
    if (nLength <= 1)
        return str;
    str.resize(static_cast<size_t>(nLength));
    MultiByteToWideChar(CP_ACP, 0, psz, -1, &str[0], nLength);
    str.resize(static_cast<size_t>(nLength - 1));
    return str;
}
}

CString::CString() {}

CString::CString(const CString& other) : m_str(other.m_str) {}

// A null pointer is taken as empty text rather than a crash.
CString::CString(LPCWSTR psz) : m_str(psz != nullptr ? psz : L"") {}

CString::~CString() {}

CString& CString::operator=(const CString& other)
{
    m_str = other.m_str;
    return *this;
}

CString& CString::operator=(LPCWSTR psz)
{
    m_str = psz != nullptr ? psz : L"";
    return *this;
}

CString& CString::operator=(LPCSTR psz)
{
    m_str = FromAnsi(psz);
    return *this;
}

bool CString::IsEmpty() const
{
    return m_str.empty();
}

void CString::Empty()
{
    m_str.clear();
}

CString::operator LPCWSTR() const
{
    return m_str.c_str();
}

bool CString::operator!=(const CString& other) const
{
    return m_str != other.m_str;
}
