// The number that a dialog field's text stands for, read the way the C
// library's atol reads the text in the ANSI code page.
#ifndef QUILLABY_UI_FIELDNUMBER_H
#define QUILLABY_UI_FIELDNUMBER_H

#include <windows.h>

// Room for the field's text in the ANSI code page: 19 bytes and the terminator.
const int FIELD_NUMBER_BUFFER = 20;

// Converts as many whole characters as fit in 19 bytes into the buffer, always
// terminated, and returns the number of bytes written. A character is never
// cut in half. The code page is the ANSI one unless a test asks for another.
int FieldTextToAnsi(LPCWSTR pszText, char (&szAnsi)[FIELD_NUMBER_BUFFER], UINT nCodePage = CP_ACP);

// Leading white space, one optional sign, then decimal digits accumulated in
// 32 bits with wrap-around; text without digits gives 0.
LONG FieldNumber(LPCWSTR pszText);

// A colour of three field numbers, keeping the low eight bits of each.
COLORREF PackColour(LONG nRed, LONG nGreen, LONG nBlue);

#endif
