// Small text forms for test messages: what was expected and what was got.
#ifndef QUILLABY_TESTS_TESTTEXT_H
#define QUILLABY_TESTS_TESTTEXT_H

#include <windows.h>
#include <string>

// Wide text as ASCII; anything else shows as '?'.
std::string Narrow(const std::wstring& str);
// "(left, top, right, bottom)"
std::string ToText(const RECT& rc);
// "0x0000ABCD"
std::string Hex(unsigned long dw);

#endif
