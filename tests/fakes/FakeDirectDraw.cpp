#include "fakes/FakeDirectDraw.h"

#include <memory>
#include <sstream>

#include "fakes/FakeDDLog.h"
#include "fakes/FakeDirectDrawDevice.h"
#include "fakes/FakePalette.h"
#include "fakes/FakeSurface.h"

FakeDDScript g_fakeDDScript;

namespace
{
struct FakeWorld
{
    FakeDDMode mode = FakeDDMode::Record;
    std::vector<FakeDDCall> calls;
    int counts[static_cast<int>(FakeDDMethod::Count)] = {};
    int nMisuses = 0;
    HWND hCooperativeWnd = nullptr;
    std::vector<std::unique_ptr<CFakeDirectDrawDevice>> devices;
    std::vector<std::unique_ptr<CFakeSurface>> primaries;
    std::vector<std::unique_ptr<CFakeSurface>> backBuffers;
    std::vector<std::unique_ptr<CFakePalette>> palettes;
};

FakeWorld& World()
{
    static FakeWorld s_world;
    return s_world;
}

DDPIXELFORMAT MakeFormat(DWORD dwFlags, DWORD nBits, DWORD dwRed, DWORD dwGreen, DWORD dwBlue)
{
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof(DDPIXELFORMAT);
    format.dwFlags = dwFlags;
    format.dwRGBBitCount = nBits;
    format.dwRBitMask = dwRed;
    format.dwGBitMask = dwGreen;
    format.dwBBitMask = dwBlue;
    return format;
}

std::string Hex(DWORD dw)
{
    std::ostringstream out;
    out << "0x" << std::hex << std::uppercase << dw;
    return out.str();
}

template <class Object>
long RefsOf(const std::vector<std::unique_ptr<Object>>& objects, int nInstance)
{
    if (objects.empty() || nInstance >= static_cast<int>(objects.size()))
        return -1;
    const Object& object = nInstance < 0 ? *objects.back() : *objects[nInstance];
    return object.Refs().Refs();
}
}

HRESULT FakeResults::Take()
{
    if (nTaken < next.size())
        return next[nTaken++];
    return hrThen;
}

FakeDDScript::FakeDDScript() : pixelFormat(FakeFormat32())
{
}

void ResetFakeDirectDraw(FakeDDMode mode)
{
    FakeWorld& world = World();
    world = FakeWorld();
    world.mode = mode;
    g_fakeDDScript = FakeDDScript();
}

bool FakeDDIsRecording()
{
    return World().mode == FakeDDMode::Record;
}

FakeDDCall FakeDDNewCall(FakeDDMethod method, FakeDDObject object, int nInstance)
{
    FakeDDCall call = {};
    call.method = method;
    call.object = object;
    call.nInstance = nInstance;
    return call;
}

HRESULT FakeDDReturn(FakeDDMethod method, FakeDDCall* pCall, HRESULT hr)
{
    FakeWorld& world = World();
    ++world.counts[static_cast<int>(method)];
    if (pCall != nullptr && world.mode == FakeDDMode::Record)
    {
        pCall->hr = hr;
        world.calls.push_back(*pCall);
        if (g_fakeDDScript.onCall)
        {
            const FakeDDCall call = *pCall;
            g_fakeDDScript.onCall(call);
        }
    }
    return hr;
}

void FakeDDMisuse()
{
    ++World().nMisuses;
}

HRESULT FakeDDUnexpected(FakeDDObject object, int nInstance, const char* pszName)
{
    FakeDDMisuse();
    FakeDDCall call = FakeDDNewCall(FakeDDMethod::Unexpected, object, nInstance);
    call.pszName = pszName;
    return FakeDDReturn(FakeDDMethod::Unexpected, &call, E_NOTIMPL);
}

CFakeSurface* FakeDDMakeSurface(FakeDDObject kind, CFakeSurface* pBack)
{
    std::vector<std::unique_ptr<CFakeSurface>>& surfaces =
        kind == FakeDDObject::Primary ? World().primaries : World().backBuffers;
    surfaces.emplace_back(new CFakeSurface(kind, static_cast<int>(surfaces.size()), pBack));
    return surfaces.back().get();
}

CFakePalette* FakeDDMakePalette(DWORD dwCaps, const PALETTEENTRY* pEntries)
{
    std::vector<std::unique_ptr<CFakePalette>>& palettes = World().palettes;
    palettes.emplace_back(new CFakePalette(static_cast<int>(palettes.size()), dwCaps, pEntries));
    return palettes.back().get();
}

void FakeDDSetCooperativeWindow(HWND hWnd)
{
    World().hCooperativeWnd = hWnd;
}

HWND FakeDDCooperativeWindow()
{
    return World().hCooperativeWnd;
}

extern "C" HRESULT WINAPI DirectDrawCreate(GUID* pGuid, LPDIRECTDRAW* ppDD, IUnknown* pOuter)
{
    FakeWorld& world = World();
    const HRESULT hr = g_fakeDDScript.hrCreate;
    *ppDD = nullptr;
    const int nInstance = static_cast<int>(world.devices.size());
    if (hr == DD_OK)
    {
        world.devices.emplace_back(new CFakeDirectDrawDevice(nInstance));
        *ppDD = world.devices.back()->DirectDraw();
    }
    FakeDDCall call = FakeDDNewCall(FakeDDMethod::DirectDrawCreate, FakeDDObject::None, nInstance);
    call.pGuid = pGuid;
    call.pOuter = pOuter;
    return FakeDDReturn(FakeDDMethod::DirectDrawCreate, &call, hr);
}

const std::vector<FakeDDCall>& FakeDDCalls()
{
    return World().calls;
}

std::vector<FakeDDCall> FakeDDCallsOf(FakeDDMethod method)
{
    std::vector<FakeDDCall> calls;
    for (const FakeDDCall& call : World().calls)
    {
        if (call.method == method)
            calls.push_back(call);
    }
    return calls;
}

int FakeDDCount(FakeDDMethod method)
{
    return World().counts[static_cast<int>(method)];
}

void FakeDDNote(const char* pszText)
{
    FakeDDCall call = FakeDDNewCall(FakeDDMethod::Note, FakeDDObject::None, 0);
    call.pszName = pszText;
    FakeDDReturn(FakeDDMethod::Note, &call, DD_OK);
}

long FakeDDRefCount(FakeDDObject object, int nInstance)
{
    const FakeWorld& world = World();
    switch (object)
    {
    case FakeDDObject::DirectDraw:
    case FakeDDObject::DirectDraw2:
        if (world.devices.empty() || nInstance >= static_cast<int>(world.devices.size()))
            return -1;
        {
            const CFakeDirectDrawDevice& device = nInstance < 0 ? *world.devices.back() : *world.devices[nInstance];
            return (object == FakeDDObject::DirectDraw ? device.Refs1() : device.Refs2()).Refs();
        }
    case FakeDDObject::Primary:
        return RefsOf(world.primaries, nInstance);
    case FakeDDObject::BackBuffer:
        return RefsOf(world.backBuffers, nInstance);
    case FakeDDObject::Palette:
        return RefsOf(world.palettes, nInstance);
    default:
        return -1;
    }
}

std::string FakeDDLeaks()
{
    std::ostringstream out;
    const FakeWorld& world = World();
    for (const std::unique_ptr<CFakeDirectDrawDevice>& device : world.devices)
    {
        if (device->Refs1().Refs() != 0)
            out << "IDirectDraw #" << device->Refs1().Instance() << " at " << device->Refs1().Refs() << "; ";
        if (device->Refs2().Refs() != 0)
            out << "IDirectDraw2 #" << device->Refs2().Instance() << " at " << device->Refs2().Refs() << "; ";
    }
    for (const std::unique_ptr<CFakeSurface>& primary : world.primaries)
    {
        if (primary->Refs().Refs() != 0)
            out << "primary surface #" << primary->Refs().Instance() << " at " << primary->Refs().Refs() << "; ";
    }
    for (const std::unique_ptr<CFakePalette>& palette : world.palettes)
    {
        if (palette->Refs().Refs() != 0)
            out << "palette #" << palette->Refs().Instance() << " at " << palette->Refs().Refs() << "; ";
    }
    return out.str();
}

std::vector<PALETTEENTRY> FakeDDPaletteEntries(int nInstance)
{
    const std::vector<std::unique_ptr<CFakePalette>>& palettes = World().palettes;
    if (palettes.empty() || nInstance >= static_cast<int>(palettes.size()))
        return std::vector<PALETTEENTRY>();
    const CFakePalette& palette = nInstance < 0 ? *palettes.back() : *palettes[nInstance];
    return std::vector<PALETTEENTRY>(palette.Entries(), palette.Entries() + 256);
}

IDirectDrawPalette* FakeDDAttachedPalette()
{
    const std::vector<std::unique_ptr<CFakeSurface>>& primaries = World().primaries;
    return primaries.empty() ? nullptr : primaries.back()->AttachedPalette();
}

int FakeDDMisuses()
{
    return World().nMisuses;
}

HWND FakeDDDeviceWindow()
{
    for (const std::unique_ptr<CFakeDirectDrawDevice>& device : World().devices)
    {
        if (device->DeviceWindow() != nullptr)
            return device->DeviceWindow();
    }
    return nullptr;
}

const char* FakeDDMethodName(FakeDDMethod method)
{
    static const char* const s_names[] = {"DirectDrawCreate", "QueryInterface", "AddRef", "Release",
                                          "SetCooperativeLevel", "CreateSurface", "GetAttachedSurface",
                                          "GetPixelFormat", "GetSurfaceDesc", "CreatePalette", "SetPalette",
                                          "SetEntries", "GetMonitorFrequency", "Blt", "Flip", "Restore",
                                          "Unexpected", "Note"};
    const int n = static_cast<int>(method);
    return n >= 0 && n < static_cast<int>(FakeDDMethod::Count) ? s_names[n] : "?";
}

const char* FakeDDObjectName(FakeDDObject object)
{
    static const char* const s_names[] = {"-", "IDirectDraw", "IDirectDraw2", "primary", "back buffer", "palette"};
    return s_names[static_cast<int>(object)];
}

std::string FakeDDDescribe(const std::vector<FakeDDCall>& calls)
{
    std::ostringstream out;
    for (const FakeDDCall& call : calls)
    {
        out << "  " << FakeDDObjectName(call.object) << " #" << call.nInstance << " "
            << FakeDDMethodName(call.method);
        if (call.pszName != nullptr)
            out << " " << call.pszName;
        if (call.method == FakeDDMethod::Blt)
            out << " (" << call.rcDest.left << "," << call.rcDest.top << "," << call.rcDest.right << ","
                << call.rcDest.bottom << ") " << Hex(call.dwFillColor);
        if (call.dwFlags != 0)
            out << " flags " << Hex(call.dwFlags);
        out << " -> " << Hex(static_cast<DWORD>(call.hr)) << "\n";
    }
    return out.str();
}

DDPIXELFORMAT FakeFormat565()
{
    return MakeFormat(DDPF_RGB, 16, 0xF800, 0x07E0, 0x001F);
}

DDPIXELFORMAT FakeFormat32()
{
    return MakeFormat(DDPF_RGB, 32, 0x00FF0000, 0x0000FF00, 0x000000FF);
}

DDPIXELFORMAT FakeFormatPalette8()
{
    return MakeFormat(DDPF_RGB | DDPF_PALETTEINDEXED8, 8, 0, 0, 0);
}
