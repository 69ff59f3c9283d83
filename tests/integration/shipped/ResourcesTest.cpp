// The manifest and the version resource of the shipped quillaby.exe, read out
// of the file as Explorer and the loader read them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ShippedExe.h"
#include "support/TestText.h"
#include "version.h"

namespace
{
const std::string kVersion4 = std::to_string(QUILLABY_VERSION_MAJOR) + "." + std::to_string(QUILLABY_VERSION_MINOR)
                              + "." + std::to_string(QUILLABY_VERSION_PATCH) + ".0";

// The program's file as data, never run.
class DataModule
{
public:
    explicit DataModule(const std::wstring& strPath)
        : m_hModule(LoadLibraryExW(strPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE))
    {
    }
    ~DataModule()
    {
        if (m_hModule != nullptr)
            FreeLibrary(m_hModule);
    }
    DataModule(const DataModule&) = delete;
    DataModule& operator=(const DataModule&) = delete;

    HMODULE Handle() const { return m_hModule; }

private:
    HMODULE m_hModule;
};

std::string ManifestText(HMODULE hModule)
{
    HRSRC hResource = FindResourceW(hModule, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */);
    if (hResource == nullptr)
        return std::string();
    const char* pText = static_cast<const char*>(LockResource(LoadResource(hModule, hResource)));
    const DWORD nSize = SizeofResource(hModule, hResource);
    return pText != nullptr ? std::string(pText, nSize) : std::string();
}

// The text of the first element of that name, from the end of its start tag
// to its end tag; "(none)" when there is no such element.
std::string ElementText(const std::string& strXml, const std::string& strName)
{
    const size_t nOpen = strXml.find("<" + strName + " ");
    const size_t nStart = nOpen == std::string::npos ? nOpen : strXml.find('>', nOpen);
    const size_t nEnd = nStart == std::string::npos ? nStart : strXml.find("</" + strName + ">", nStart);
    if (nEnd == std::string::npos)
        return "(none)";
    return strXml.substr(nStart + 1, nEnd - nStart - 1);
}

// The value of an attribute of the first element of that name; "(none)".
std::string Attribute(const std::string& strXml, const std::string& strName, const std::string& strAttribute)
{
    const size_t nOpen = strXml.find("<" + strName + " ");
    const size_t nClose = nOpen == std::string::npos ? nOpen : strXml.find('>', nOpen);
    const std::string strTag = nClose == std::string::npos ? std::string() : strXml.substr(nOpen, nClose - nOpen);
    const size_t nAt = strTag.find(" " + strAttribute + "=\"");
    if (nAt == std::string::npos)
        return "(none)";
    const size_t nValue = nAt + strAttribute.size() + 3;
    return strTag.substr(nValue, strTag.find('"', nValue) - nValue);
}

std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* pszName)
{
    std::wstring strPath = std::wstring(L"\\StringFileInfo\\040904B0\\") + pszName;
    LPVOID pValue = nullptr;
    UINT nLength = 0;
    if (!VerQueryValueW(info.data(), strPath.c_str(), &pValue, &nLength) || pValue == nullptr)
        return L"(none)";
    return static_cast<const wchar_t*>(pValue);
}
}

TEST(ShippedResources, ManifestDeclaresDpiAwarenessExecutionLevelAndSystems)
{
    DataModule module(ShippedExePath());
    ASSERT_NE(nullptr, module.Handle()) << "cannot open " << Narrow(ShippedExePath()) << ", error " << GetLastError();
    const std::string strXml = ManifestText(module.Handle());
    ASSERT_FALSE(strXml.empty()) << "no manifest, resource 1 of type RT_MANIFEST";

    EXPECT_EQ("true", ElementText(strXml, "dpiAware"));
    const std::string strAwareness = ElementText(strXml, "dpiAwareness");
    EXPECT_EQ("PerMonitorV2", strAwareness.substr(0, strAwareness.find(','))) << "first of " << strAwareness;
    EXPECT_EQ("asInvoker", Attribute(strXml, "requestedExecutionLevel", "level"));
    EXPECT_EQ(kVersion4, Attribute(strXml, "assemblyIdentity", "version"));
    EXPECT_EQ("x86", Attribute(strXml, "assemblyIdentity", "processorArchitecture"));

    struct System
    {
        const char* pszName;
        const char* pszId;
    };
    const System kSystems[] = {
        {"Vista", "{e2011457-1546-43c5-a5fe-008deee3d3f0}"},
        {"7", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"},
        {"8", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"},
        {"8.1", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}"},
        {"10 and 11", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"},
    };
    for (const System& system : kSystems)
    {
        const std::string strEntry = std::string("<supportedOS Id=\"") + system.pszId + "\"/>";
        EXPECT_NE(std::string::npos, strXml.find(strEntry)) << "Windows " << system.pszName << ": no " << strEntry;
    }
    // The dialog keeps its classic look.
    EXPECT_EQ(std::string::npos, strXml.find("Microsoft.Windows.Common-Controls"));
}

TEST(ShippedResources, VersionNamesTheProductAndTheProjectVersion)
{
    const std::wstring strExe = ShippedExePath();
    DWORD dwHandle = 0;
    const DWORD nSize = GetFileVersionInfoSizeW(strExe.c_str(), &dwHandle);
    ASSERT_NE(0u, nSize) << "no version resource in " << Narrow(strExe) << ", error " << GetLastError();
    std::vector<BYTE> info(nSize);
    ASSERT_TRUE(GetFileVersionInfoW(strExe.c_str(), 0, nSize, info.data()));

    VS_FIXEDFILEINFO* pFixed = nullptr;
    UINT nFixed = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<LPVOID*>(&pFixed), &nFixed));
    ASSERT_GE(nFixed, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(0xFEEF04BDu, pFixed->dwSignature);
    const DWORD dwMs = MAKELONG(QUILLABY_VERSION_MINOR, QUILLABY_VERSION_MAJOR);
    const DWORD dwLs = MAKELONG(0, QUILLABY_VERSION_PATCH);
    EXPECT_EQ(dwMs, pFixed->dwFileVersionMS);
    EXPECT_EQ(dwLs, pFixed->dwFileVersionLS);
    EXPECT_EQ(dwMs, pFixed->dwProductVersionMS);
    EXPECT_EQ(dwLs, pFixed->dwProductVersionLS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), pFixed->dwFileType);

    struct Field
    {
        const wchar_t* pszName;
        std::string strExpected;
    };
    const Field kFields[] = {
        {L"ProductName", "Quillaby"},
        {L"FileDescription", "Quillaby display motion test"},
        {L"FileVersion", QUILLABY_VERSION_TEXT},
        {L"ProductVersion", QUILLABY_VERSION_TEXT},
        {L"OriginalFilename", "quillaby.exe"},
        {L"InternalName", "quillaby"},
    };
    for (const Field& field : kFields)
        EXPECT_EQ(field.strExpected, Narrow(VersionString(info, field.pszName))) << Narrow(field.pszName);

    // Explorer finds the strings through the translation table.
    DWORD* pTranslation = nullptr;
    UINT nTranslation = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<LPVOID*>(&pTranslation),
                               &nTranslation));
    ASSERT_GE(nTranslation, sizeof(DWORD));
    EXPECT_EQ(MAKELONG(0x0409, 1200), static_cast<LONG>(*pTranslation)) << "language and code page";
}
