// The faces that the dialog and Wine's own window frames draw with, as GDI
// finds them in the test prefix: MS Sans Serif for the dialog's template font
// and Marlett for the caption buttons. Without them Wine substitutes another
// face, and the caption buttons show letters instead of symbols.
#include <gtest/gtest.h>

#include <string>

#include "support/TestText.h"

namespace
{
struct FaceSeen
{
    std::wstring face;
    BYTE charset;
};

// The face and character set that GDI really selects for a request by name.
FaceSeen SelectedFace(const wchar_t* pszFace, BYTE charset)
{
    FaceSeen seen = {};
    HDC hdc = GetDC(nullptr);
    LOGFONTW lf = {};
    lf.lfHeight = -11;
    lf.lfCharSet = charset;
    lstrcpynW(lf.lfFaceName, pszFace, LF_FACESIZE);
    HFONT hFont = CreateFontIndirectW(&lf);
    HGDIOBJ hOld = SelectObject(hdc, hFont);
    wchar_t szFace[LF_FACESIZE] = L"";
    GetTextFaceW(hdc, LF_FACESIZE, szFace);
    seen.face = szFace;
    seen.charset = static_cast<BYTE>(GetTextCharset(hdc));
    SelectObject(hdc, hOld);
    DeleteObject(hFont);
    ReleaseDC(nullptr, hdc);
    return seen;
}

int CALLBACK CountFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM lParam)
{
    ++*reinterpret_cast<int*>(lParam);
    return 1;
}

int FamiliesNamed(const wchar_t* pszFace)
{
    HDC hdc = GetDC(nullptr);
    LOGFONTW lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, pszFace, LF_FACESIZE);
    int nFound = 0;
    EnumFontFamiliesExW(hdc, &lf, &CountFace, reinterpret_cast<LPARAM>(&nFound), 0);
    ReleaseDC(nullptr, hdc);
    return nFound;
}
}

TEST(Fonts, MarlettIsInstalledAsTheSymbolFaceOfTheCaptionButtons)
{
    EXPECT_GE(FamiliesNamed(L"Marlett"), 1) << "GDI lists no face named Marlett";
    const FaceSeen seen = SelectedFace(L"Marlett", SYMBOL_CHARSET);
    EXPECT_EQ("Marlett", Narrow(seen.face)) << "asked for Marlett, GDI selected another face";
    EXPECT_EQ(SYMBOL_CHARSET, seen.charset) << "expected the symbol character set (2), got " << int(seen.charset);
}

TEST(Fonts, MsSansSerifIsTheDialogFontItself)
{
    EXPECT_GE(FamiliesNamed(L"MS Sans Serif"), 1) << "GDI lists no face named MS Sans Serif";
    const FaceSeen seen = SelectedFace(L"MS Sans Serif", DEFAULT_CHARSET);
    EXPECT_EQ("MS Sans Serif", Narrow(seen.face)) << "asked for MS Sans Serif, GDI selected another face";
}
