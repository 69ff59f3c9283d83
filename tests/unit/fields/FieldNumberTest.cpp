// Field numbers, colours and the rate line.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/TestText.h"
#include "ui/FieldNumber.h"
#include "ui/RateText.h"

TEST(FieldNumber, ReadsAsAtolDoesWithWrapAround)
{
    struct Case
    {
        const wchar_t* pszText;
        LONG nExpected;
    };
    const Case cases[] = {
        {L"", 0},
        {L"1", 1},
        {L"007", 7},
        {L"   ", 0},
        {L"  42", 42},
        {L"\t\n\v\f\r7", 7},
        {L"+5", 5},
        {L"-5", -5},
        {L"--5", 0},
        {L"+-5", 0},
        {L"- 5", 0},
        {L"5x", 5},
        {L"12 34", 12},
        {L"x5", 0},
        {L"abc", 0},
        {L"\u00A05", 0}, // a no-break space is not C white space
        {L"2147483647", 2147483647},
        {L"2147483648", -2147483647 - 1},
        {L"4294967295", -1},
        {L"4294967296", 0},
        {L"4294967297", 1},
        {L"-2147483648", -2147483647 - 1},
        {L"-4294967295", 1},
        {L"99999999999", 1215752191},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.nExpected, FieldNumber(c.pszText)) << "text \"" << Narrow(c.pszText) << "\"";
}

TEST(FieldNumber, OnlyTheFirst19BytesCount)
{
    EXPECT_EQ(0, FieldNumber(L"0000000000000000000123")) << "the digits after byte 19 are not read";
    EXPECT_EQ(2112454933, FieldNumber(L"1234567890123456789012")) << "19 digits, wrapped";
    EXPECT_EQ(9, FieldNumber(L"                  9")) << "19 characters fit";
    EXPECT_EQ(0, FieldNumber(L"                   9")) << "the 20th character does not";
    EXPECT_EQ(0, FieldNumber(std::wstring(5000, L'7').insert(0, 19, L' ').c_str())) << "long text is cut safely";
}

TEST(FieldNumber, TextOutsideTheCodePageStopsTheDigits)
{
    EXPECT_EQ(12, FieldNumber(L"12\u4E00")) << "a character outside the ANSI code page ends the number";
    EXPECT_EQ(0, FieldNumber(L"\u0663")) << "an Arabic-Indic three is no digit";
    EXPECT_EQ(12, FieldNumber(L"\uFF11\uFF12")) << "the ANSI conversion maps full-width digits best-fit";
    EXPECT_EQ(34, FieldNumber(L"34\U0001F600")) << "a surrogate pair ends the number too";
}

TEST(FieldTextToAnsi, KeepsMultibyteCharactersWhole)
{
    struct Case
    {
        UINT nCodePage;
        std::wstring strText;
        int nExpectedBytes;
        const char* pszNote;
    };
    const Case cases[] = {
        {932, std::wstring(17, L'1') + L"\u3042", 19, "a two-byte character that just fits"},
        {932, std::wstring(18, L'1') + L"\u3042", 18, "a two-byte character that would end at byte 20 is left out"},
        {65001, std::wstring(16, L'1') + L"\u20AC", 19, "a three-byte character that just fits"},
        {65001, std::wstring(17, L'1') + L"\u20AC" + L"2", 17, "neither it nor anything after it"},
        {65001, std::wstring(15, L'1') + L"\U0001F600", 19, "a four-byte surrogate pair fits whole"},
        {65001, std::wstring(16, L'1') + L"\U0001F600", 16, "or not at all"},
        {CP_ACP, std::wstring(25, L'9'), 19, "single bytes stop at 19"},
    };
    for (const Case& c : cases)
    {
        char szAnsi[FIELD_NUMBER_BUFFER];
        memset(szAnsi, 'X', sizeof(szAnsi));
        const int nBytes = FieldTextToAnsi(c.strText.c_str(), szAnsi, c.nCodePage);
        EXPECT_EQ(c.nExpectedBytes, nBytes) << c.pszNote;
        EXPECT_EQ(static_cast<size_t>(nBytes), strlen(szAnsi)) << c.pszNote << ": terminated after the bytes";
    }
}

TEST(PackColour, KeepsTheLowEightBitsWithoutCarrying)
{
    struct Case
    {
        const wchar_t* pszText;
        DWORD dwComponent;
    };
    const Case cases[] = {{L"0", 0}, {L"255", 255}, {L"256", 0}, {L"300", 44}, {L"511", 255}, {L"-1", 255}};
    for (const Case& c : cases)
    {
        const LONG n = FieldNumber(c.pszText);
        SCOPED_TRACE(Narrow(c.pszText));
        EXPECT_EQ(Hex(c.dwComponent), Hex(PackColour(n, 0, 0))) << "red";
        EXPECT_EQ(Hex(c.dwComponent << 8), Hex(PackColour(0, n, 0))) << "green";
        EXPECT_EQ(Hex(c.dwComponent << 16), Hex(PackColour(0, 0, n))) << "blue";
    }
    EXPECT_EQ(Hex(0x00FFFFFF), Hex(PackColour(255, 255, 255)));
    EXPECT_EQ(Hex(0x00332211), Hex(PackColour(0x11, 0x22, 0x33)));
}

TEST(RateLine, ElapsedTimeAndRate)
{
    EXPECT_EQ(512u, ElapsedTicks(0xFFFFFF00u, 0x00000100u)) << "the tick counter wrapped";
    EXPECT_EQ(50000u, ElapsedTicks(1000u, 51000u));

    struct Case
    {
        DWORD dwFrames;
        DWORD dwElapsed;
        const char* pszLine;
    };
    const Case cases[] = {
        {3000, 50000, "Rendered frames/sec on last run: 60.00"},
        {1, 3, "Rendered frames/sec on last run: 333.33"},
        {0, 1000, "Rendered frames/sec on last run: 0.00"},
        {4294967295u, 1000, "Rendered frames/sec on last run: 4294967295.00"},
        {4294967295u, 1, "Rendered frames/sec on last run: 4294967295000.00"},
        {0, 0, "Rendered frames/sec on last run: too short"},
        {7, 0, "Rendered frames/sec on last run: too short"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.pszLine, FormatRateLine(c.dwFrames, c.dwElapsed)) << c.dwFrames << " frames in " << c.dwElapsed
                                                                      << " ms";
    EXPECT_GT(FrameRate(4294967295u, 1000), 0.0) << "frames are widened as unsigned";
}
