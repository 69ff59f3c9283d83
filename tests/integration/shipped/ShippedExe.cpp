#include "ShippedExe.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

std::wstring PathFromEnvironment(const wchar_t* pszVariable)
{
    WCHAR sz[MAX_PATH * 2] = L"";
    const DWORD nLength = GetEnvironmentVariableW(pszVariable, sz, MAX_PATH * 2);
    if (nLength == 0 || nLength >= MAX_PATH * 2)
        return std::wstring();
    std::wstring strPath = sz;
    // CTest hands over a Unix path; Wine's drive Z: is the Unix root.
    if (strPath[0] == L'/')
        strPath = L"Z:" + strPath;
    for (wchar_t& ch : strPath)
    {
        if (ch == L'/')
            ch = L'\\';
    }
    return strPath;
}

std::wstring ShippedExePath()
{
    return PathFromEnvironment(L"QB_EXE");
}

namespace
{
class PeReader
{
public:
    explicit PeReader(std::vector<char> bytes) : m_bytes(std::move(bytes)) {}

    template <class T>
    bool At(size_t nOffset, T& value) const
    {
        if (nOffset > m_bytes.size() || m_bytes.size() - nOffset < sizeof(T))
            return false;
        memcpy(&value, &m_bytes[nOffset], sizeof(T));
        return true;
    }

    bool TextAt(size_t nOffset, std::string& str) const
    {
        str.clear();
        for (size_t i = nOffset; i < m_bytes.size(); ++i)
        {
            if (m_bytes[i] == '\0')
                return true;
            str.push_back(m_bytes[i]);
        }
        return false;
    }

    // The file offset of a relative virtual address, through the section
    // that holds it.
    bool OffsetOf(DWORD dwRva, size_t& nOffset) const
    {
        for (const IMAGE_SECTION_HEADER& section : m_sections)
        {
            const DWORD dwSize = section.Misc.VirtualSize > section.SizeOfRawData ? section.Misc.VirtualSize
                                                                                 : section.SizeOfRawData;
            if (dwRva >= section.VirtualAddress && dwRva - section.VirtualAddress < dwSize)
            {
                nOffset = section.PointerToRawData + (dwRva - section.VirtualAddress);
                return true;
            }
        }
        return false;
    }

    std::vector<IMAGE_SECTION_HEADER> m_sections;

private:
    std::vector<char> m_bytes;
};

bool ReadImports(const PeReader& pe, DWORD dwTableRva, std::vector<PeImport>& imports, std::string& strError)
{
    size_t nDescriptor = 0;
    if (!pe.OffsetOf(dwTableRva, nDescriptor))
    {
        strError = "the import table lies outside every section";
        return false;
    }
    for (;; nDescriptor += sizeof(IMAGE_IMPORT_DESCRIPTOR))
    {
        IMAGE_IMPORT_DESCRIPTOR descriptor;
        if (!pe.At(nDescriptor, descriptor))
        {
            strError = "the import table runs past the end of the file";
            return false;
        }
        if (descriptor.Name == 0)
            return true;
        std::string strDll;
        size_t nName = 0;
        size_t nThunk = 0;
        const DWORD dwThunks = descriptor.OriginalFirstThunk != 0 ? descriptor.OriginalFirstThunk : descriptor.FirstThunk;
        if (!pe.OffsetOf(descriptor.Name, nName) || !pe.TextAt(nName, strDll) || !pe.OffsetOf(dwThunks, nThunk))
        {
            strError = "an import descriptor points outside the file";
            return false;
        }
        for (;; nThunk += sizeof(DWORD))
        {
            DWORD dwThunk = 0;
            if (!pe.At(nThunk, dwThunk))
            {
                strError = "the imports of " + strDll + " run past the end of the file";
                return false;
            }
            if (dwThunk == 0)
                break;
            PeImport import = {strDll, std::string()};
            size_t nHintName = 0;
            if ((dwThunk & IMAGE_ORDINAL_FLAG32) != 0)
                import.strFunction = "#" + std::to_string(dwThunk & 0xFFFF);
            else if (!pe.OffsetOf(dwThunk, nHintName) || !pe.TextAt(nHintName + sizeof(WORD), import.strFunction))
            {
                strError = "an import name of " + strDll + " lies outside the file";
                return false;
            }
            imports.push_back(import);
        }
    }
}
}

bool ReadPeFacts(const std::wstring& strPath, PeFacts& facts, std::string& strError)
{
    std::ifstream file(strPath.c_str(), std::ios::binary);
    if (!file)
    {
        strError = "cannot open the file";
        return false;
    }
    std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    PeReader pe(std::move(bytes));

    IMAGE_DOS_HEADER dos;
    IMAGE_NT_HEADERS32 nt;
    if (!pe.At(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || !pe.At(dos.e_lfanew, nt)
        || nt.Signature != IMAGE_NT_SIGNATURE || nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC)
    {
        strError = "not a 32-bit PE file";
        return false;
    }
    const size_t nSections = static_cast<size_t>(dos.e_lfanew) + offsetof(IMAGE_NT_HEADERS32, OptionalHeader)
                             + nt.FileHeader.SizeOfOptionalHeader;
    for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i)
    {
        IMAGE_SECTION_HEADER section;
        const size_t nOffset = nSections + i * sizeof(section);
        if (!pe.At(nOffset, section))
        {
            strError = "the section table runs past the end of the file";
            return false;
        }
        pe.m_sections.push_back(section);
    }

    const IMAGE_OPTIONAL_HEADER32& optional = nt.OptionalHeader;
    facts.wMachine = nt.FileHeader.Machine;
    facts.wSubsystem = optional.Subsystem;
    facts.wSubsystemMajor = optional.MajorSubsystemVersion;
    facts.wSubsystemMinor = optional.MinorSubsystemVersion;
    facts.dwDelayImportSize = optional.NumberOfRvaAndSizes > IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT
                                  ? optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].Size
                                  : 0;
    facts.imports.clear();
    if (optional.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_IMPORT
        || optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress == 0)
        return true;
    const DWORD dwImportRva = optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    return ReadImports(pe, dwImportRva, facts.imports, strError);
}
