// The shipped program's file, as the tests that read it find it: its path, its
// import table and its PE header, read from the bytes without loading it.
#ifndef QUILLABY_TESTS_SHIPPED_SHIPPEDEXE_H
#define QUILLABY_TESTS_SHIPPED_SHIPPEDEXE_H

#include <windows.h>
#include <string>
#include <vector>

// QB_EXE as a Windows path; empty when it is not set.
std::wstring ShippedExePath();
// A file named in the environment variable, as a Windows path.
std::wstring PathFromEnvironment(const wchar_t* pszVariable);

struct PeImport
{
    std::string strDll;      // as the table spells it
    std::string strFunction; // "#n" for an import by ordinal
};

struct PeFacts
{
    WORD wMachine;
    WORD wSubsystem;
    WORD wSubsystemMajor, wSubsystemMinor;
    DWORD dwDelayImportSize;
    std::vector<PeImport> imports;
};

// False, with the reason in strError, when the file is not a 32-bit PE file
// whose import table lies within it.
bool ReadPeFacts(const std::wstring& strPath, PeFacts& facts, std::string& strError);

#endif
