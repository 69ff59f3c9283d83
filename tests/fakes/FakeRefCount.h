// The reference count of one fake COM object, with the checks that catch a
// caller's mistakes: a release below 0 or the use of an object given up.
#ifndef QUILLABY_TESTS_FAKEREFCOUNT_H
#define QUILLABY_TESTS_FAKEREFCOUNT_H

#include "fakes/FakeDDLog.h"

class CFakeRefCount
{
public:
    CFakeRefCount(FakeDDObject kind, int nInstance, long nRefs) : m_kind(kind), m_nInstance(nInstance), m_nRefs(nRefs)
    {
    }

    ULONG AddRef()
    {
        ++m_nRefs;
        return Report(FakeDDMethod::AddRef);
    }

    ULONG Release()
    {
        if (m_nRefs == 0)
            FakeDDMisuse();
        else
            --m_nRefs;
        return Report(FakeDDMethod::Release);
    }

    FakeDDObject Kind() const { return m_kind; }
    int Instance() const { return m_nInstance; }
    long Refs() const { return m_nRefs; }
    FakeDDCall NewCall(FakeDDMethod method) const { return FakeDDNewCall(method, m_kind, m_nInstance); }

private:
    ULONG Report(FakeDDMethod method)
    {
        if (!FakeDDIsRecording())
        {
            FakeDDReturn(method, nullptr, DD_OK);
            return static_cast<ULONG>(m_nRefs);
        }
        FakeDDCall call = NewCall(method);
        FakeDDReturn(method, &call, static_cast<HRESULT>(m_nRefs));
        return static_cast<ULONG>(m_nRefs);
    }

    FakeDDObject m_kind;
    int m_nInstance;
    long m_nRefs;
};

#endif
