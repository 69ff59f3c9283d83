// A fake DirectDraw for unit tests and benchmarks: link-time DirectDrawCreate
// and COM fakes of IDirectDraw, IDirectDraw2 and the surfaces of a flip chain
// (primary and back buffer) and palettes. Each call is recorded with its arguments, answers
// with a scripted result, and every object counts its references.
//
// Use: ResetFakeDirectDraw() at the start of a test, then change
// g_fakeDDScript; read back FakeDDCalls(), FakeDDCount() and FakeDDLeaks().
// In FakeDDMode::Null nothing is recorded and nothing allocates per call, for
// benchmarks; counts and scripted results still work.
#ifndef QUILLABY_TESTS_FAKEDIRECTDRAW_H
#define QUILLABY_TESTS_FAKEDIRECTDRAW_H

#include <windows.h>
#include <ddraw.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

enum class FakeDDMode
{
    Record,
    Null
};

// What a SetCooperativeLevel with DDSCL_CREATEDEVICEWINDOW does to the focus:
// nothing, or (as Wine does) create a device window of its own and focus it.
// With Steal, DDSCL_NORMAL destroys that window again.
enum class FakeFocus
{
    Leave,
    Steal
};

enum class FakeDDObject
{
    None,
    DirectDraw,
    DirectDraw2,
    Primary,
    BackBuffer,
    Palette
};

enum class FakeDDMethod
{
    DirectDrawCreate,
    QueryInterface,
    AddRef,
    Release,
    SetCooperativeLevel,
    CreateSurface,
    GetAttachedSurface,
    GetPixelFormat,
    GetSurfaceDesc,
    CreatePalette,
    SetPalette,
    SetEntries,
    GetMonitorFrequency,
    Blt,
    Flip,
    Restore,
    Unexpected, // any other method; pszName says which
    Note,       // a marker a test put in the log with FakeDDNote
    Count
};

// Results handed out one per call, in order; when they run out, hrThen.
struct FakeResults
{
    std::vector<HRESULT> next;
    size_t nTaken = 0;
    HRESULT hrThen = DD_OK;

    HRESULT Take();
};

struct FakeDDCall
{
    FakeDDMethod method;
    FakeDDObject object;
    int nInstance;     // which object of its kind since the reset, from 0
    HRESULT hr;        // what the fake returned; AddRef and Release: the new count
    // Arguments, by method.
    const GUID* pGuid; // DirectDrawCreate
    IUnknown* pOuter;  // DirectDrawCreate, CreateSurface
    IID iid;           // QueryInterface
    HWND hWnd;         // SetCooperativeLevel
    HWND hFocusAfter;  // SetCooperativeLevel: GetFocus() when it returned
    DWORD dwFlags;     // SetCooperativeLevel, Blt, Flip, CreatePalette, SetEntries
    DDSURFACEDESC desc; // CreateSurface
    DDSCAPS caps;      // GetAttachedSurface
    DWORD dwSize;      // GetPixelFormat, GetSurfaceDesc: the record's dwSize; Blt: the DDBLTFX's dwSize (0 without one)
    bool bDestRect;    // Blt
    RECT rcDest;
    IDirectDrawSurface* pSource; // Blt: source surface; Flip: target override
    bool bSourceRect;  // Blt
    DWORD dwFillColor; // Blt
    bool bOtherFxZero; // Blt: every DDBLTFX field but dwSize and dwFillColor is 0
    IDirectDrawPalette* pPalette; // SetPalette
    DWORD dwStart;     // SetEntries
    DWORD dwCount;     // SetEntries
    const char* pszName; // Unexpected: the method; Note: the text
};

struct FakeDDScript
{
    HRESULT hrCreate = DD_OK;
    HRESULT hrQueryInterface = S_OK;
    FakeResults cooperativeLevel;
    HRESULT hrCreateSurface = DD_OK;
    HRESULT hrGetAttachedSurface = DD_OK;
    HRESULT hrGetPixelFormat = DD_OK; // on failure the format is left untouched
    DDPIXELFORMAT pixelFormat;        // FakeFormat32() unless changed
    // Every surface has this size, whatever the monitor rectangle says.
    HRESULT hrGetSurfaceDesc = DD_OK; // on failure the description is left untouched
    SIZE surfaceSize = {640, 480};
    HRESULT hrCreatePalette = DD_OK;
    HRESULT hrSetPalette = DD_OK;
    HRESULT hrSetEntries = DD_OK;
    // As Wine under Xvfb answers: DD_OK, and 0 Hz. On failure the value is
    // left untouched.
    HRESULT hrGetMonitorFrequency = DD_OK;
    DWORD dwMonitorFrequency = 0;
    FakeResults blt;
    FakeResults flip;
    FakeResults restore;
    FakeFocus focus = FakeFocus::Leave;
    // During the flip of this number (1 for the first flip of each primary
    // surface), WM_KEYDOWN (VK_SPACE) is posted to the window given to
    // SetCooperativeLevel: the way to end RunFrames after so many frames. 0: never.
    int nKeyDownAtFlip = 0;
    // Called after each recorded call (Record mode only), with that call.
    std::function<void(const FakeDDCall&)> onCall;

    FakeDDScript();
};


extern FakeDDScript g_fakeDDScript;

// Forgets every call, count and object, and puts the default script back.
void ResetFakeDirectDraw(FakeDDMode mode = FakeDDMode::Record);

const std::vector<FakeDDCall>& FakeDDCalls();
std::vector<FakeDDCall> FakeDDCallsOf(FakeDDMethod method);
// Counted in both modes.
int FakeDDCount(FakeDDMethod method);
void FakeDDNote(const char* pszText);

// The reference count of the object of that kind made last (nInstance -1) or
// of the given one; -1 when there is no such object.
long FakeDDRefCount(FakeDDObject object, int nInstance = -1);
// Empty when every object made since the reset has been given up: each
// IDirectDraw and IDirectDraw2 at 0, each primary surface at 0 (its back
// buffer goes with it), each palette at 0; otherwise what is still held.
std::string FakeDDLeaks();
// Calls on objects already given up, releases below 0, and unexpected methods.
int FakeDDMisuses();
// The 256 entries of the palette made last (nInstance -1) or of the given one;
// empty when there is no such palette.
std::vector<PALETTEENTRY> FakeDDPaletteEntries(int nInstance = -1);
// The palette attached to the primary surface made last, or null.
IDirectDrawPalette* FakeDDAttachedPalette();
// The window a focus-stealing SetCooperativeLevel made and still keeps, or null.
HWND FakeDDDeviceWindow();

const char* FakeDDMethodName(FakeDDMethod method);
const char* FakeDDObjectName(FakeDDObject object);
// One line per recorded call, for failure messages.
std::string FakeDDDescribe(const std::vector<FakeDDCall>& calls);

// 16-bit 565, 32-bit 888, and 8-bit palette-indexed (no masks).
DDPIXELFORMAT FakeFormat565();
DDPIXELFORMAT FakeFormat32();
DDPIXELFORMAT FakeFormatPalette8();

#endif
