// Every import of the shipped quillaby.exe against the committed list of the
// functions that Windows XP SP3 has, and the header fields with which XP's
// loader would refuse the file before it looked at an import.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "ShippedExe.h"

namespace
{
std::string Lower(std::string str)
{
    std::transform(str.begin(), str.end(), str.begin(), [](unsigned char ch) { return static_cast<char>(tolower(ch)); });
    return str;
}

// "dll function" in lower case for the DLL, as DLL names are case-blind.
std::string Key(const std::string& strDll, const std::string& strFunction)
{
    return Lower(strDll) + " " + strFunction;
}

// Listed imports by key, each with its source; the line of a malformed entry in
// strError.
std::map<std::string, std::string> ReadList(const std::wstring& strPath, std::string& strError)
{
    std::map<std::string, std::string> listed;
    std::ifstream file(strPath.c_str());
    if (!file)
        strError = "cannot open the list";
    std::string strLine;
    for (int nLine = 1; std::getline(file, strLine); ++nLine)
    {
        const size_t nHash = strLine.find('#');
        const std::string strSource = nHash == std::string::npos ? std::string() : strLine.substr(nHash + 1);
        std::istringstream fields(strLine.substr(0, nHash));
        std::string strDll, strFunction, strExtra;
        if (!(fields >> strDll))
            continue;
        if (!(fields >> strFunction) || (fields >> strExtra) || strSource.find_first_not_of(' ') == std::string::npos)
            strError += "line " + std::to_string(nLine) + " is not \"DLL function # source\"; ";
        listed[Key(strDll, strFunction)] = strSource;
    }
    return listed;
}
}

TEST(ShippedImports, EveryImportIsListedAndEveryListedOneIsImported)
{
    const std::wstring strExe = ShippedExePath();
    ASSERT_FALSE(strExe.empty()) << "QB_EXE names no program";
    PeFacts facts = {};
    std::string strError;
    ASSERT_TRUE(ReadPeFacts(strExe, facts, strError)) << strError;
    std::string strListError;
    const std::map<std::string, std::string> listed = ReadList(PathFromEnvironment(L"QB_XP_IMPORTS"), strListError);
    EXPECT_EQ("", strListError);
    ASSERT_FALSE(listed.empty()) << "the list names no function";
    ASSERT_FALSE(facts.imports.empty()) << "the program imports nothing, which no Windows program does";

    std::set<std::string> imported;
    for (const PeImport& import : facts.imports)
    {
        const std::string strKey = Key(import.strDll, import.strFunction);
        imported.insert(strKey);
        if (listed.count(strKey) == 0)
            ADD_FAILURE() << "new import " << import.strFunction << " from " << import.strDll
                          << ": not on the list; add it only with a source that says XP SP3 has it";
    }
    for (const auto& entry : listed)
    {
        if (imported.count(entry.first) == 0)
            ADD_FAILURE() << "listed import " << entry.first << " is no longer imported: take it off the list";
    }
}

TEST(ShippedImports, HeaderLetsWindowsXpLoadIt)
{
    PeFacts facts = {};
    std::string strError;
    ASSERT_TRUE(ReadPeFacts(ShippedExePath(), facts, strError)) << strError;
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, facts.wMachine);
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, facts.wSubsystem);
    // XP is 5.1: its loader refuses a file that asks for a later subsystem.
    const int nSubsystem = facts.wSubsystemMajor * 100 + facts.wSubsystemMinor;
    EXPECT_LE(nSubsystem, 501)
        << "subsystem version " << facts.wSubsystemMajor << "." << facts.wSubsystemMinor;
    EXPECT_EQ(0u, facts.dwDelayImportSize) << "delay-loaded imports are not on any list";
}
