// The fakes' own bookkeeping, shared by the fake COM objects; tests use
// FakeDirectDraw.h.
#ifndef QUILLABY_TESTS_FAKEDDLOG_H
#define QUILLABY_TESTS_FAKEDDLOG_H

#include "fakes/FakeDirectDraw.h"

class CFakePalette;
class CFakeSurface;

bool FakeDDIsRecording();
// A blank call of that method on that object.
FakeDDCall FakeDDNewCall(FakeDDMethod method, FakeDDObject object, int nInstance);
// Counts the call, records it (when pCall is given and the mode records),
// and returns hr. Like DirectDraw it leaves the last error alone.
HRESULT FakeDDReturn(FakeDDMethod method, FakeDDCall* pCall, HRESULT hr);
// A call that a correct caller would not make.
void FakeDDMisuse();
// Records an unexpected method and answers E_NOTIMPL.
HRESULT FakeDDUnexpected(FakeDDObject object, int nInstance, const char* pszName);

// A new surface of that kind, kept until the next reset; nInstance counts
// per kind.
CFakeSurface* FakeDDMakeSurface(FakeDDObject kind, CFakeSurface* pBack);
CFakePalette* FakeDDMakePalette(DWORD dwCaps, const PALETTEENTRY* pEntries);
// The window that SetCooperativeLevel was given last.
void FakeDDSetCooperativeWindow(HWND hWnd);
HWND FakeDDCooperativeWindow();

#endif
