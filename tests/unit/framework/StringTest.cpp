// CString: wide text with value semantics; narrow text is read through the
// ANSI code page, not byte by byte.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/TestText.h"
#include "framework/String.h"

TEST(String, NarrowTextGoesThroughTheAnsiCodePage)
{
    ASSERT_EQ(1252u, GetACP()) << "the expectations below are Windows-1252's";
    struct Case
    {
        const char* pszNarrow;
        std::wstring strWide;
    };
    const Case kCases[] = {
        {"60.00", L"60.00"},
        {"", L""},
        {"\x80 \xE9", L"\u20AC \u00E9"}, // the euro sign is not U+0080
    };
    for (const Case& test : kCases)
    {
        CString strAssigned;
        strAssigned = test.pszNarrow;
        EXPECT_TRUE(std::wstring(static_cast<LPCWSTR>(strAssigned)) == test.strWide) << "assigned " << test.pszNarrow;
    }
}

TEST(String, CopiesAreIndependent)
{
    CString strFirst(L"20");
    CString strSecond = strFirst;
    strSecond = L"100";
    EXPECT_EQ("20", Narrow(strFirst));
    EXPECT_EQ("100", Narrow(strSecond));
    EXPECT_TRUE(strFirst != strSecond);
    strSecond.Empty();
    EXPECT_TRUE(strSecond.IsEmpty());
    EXPECT_EQ("", Narrow(strSecond));
    EXPECT_EQ("20", Narrow(strFirst));
}

TEST(String, NullPointersAreEmptyText)
{
    const CString strWide(static_cast<LPCWSTR>(nullptr));
    CString strNarrow(L"60");
    strNarrow = static_cast<LPCSTR>(nullptr);
    EXPECT_TRUE(strWide.IsEmpty());
    EXPECT_TRUE(strNarrow.IsEmpty());
}
