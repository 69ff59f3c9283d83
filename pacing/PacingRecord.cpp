#include "pacing/PacingRecord.h"

namespace
{
// The record's scale: at most about two million steps a second, so that a
// place's DWORD holds half an hour.
const LONGLONG kMaxScaledPerSecond = 1 << 21;

DWORD NormalHz(DWORD nDisplayHz)
{
    return nDisplayHz > 1 && nDisplayHz <= 1000 ? nDisplayHz : 0;
}

DWORD Saturated(ULONGLONG n)
{
    return n > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(n);
}

CPacingRecord::Entry MarkEntry(CPacingRecord::EntryKind kind, DWORD nValue)
{
    return CPacingRecord::Entry{nValue, static_cast<DWORD>(kind), 0, 0};
}

// Two places as one: the intervals of both, or a mark's time lost.
void Merge(CPacingRecord::Entry& into, const CPacingRecord::Entry& from)
{
    into.nSum = Saturated(static_cast<ULONGLONG>(into.nSum) + from.nSum);
    if (from.nCount == 0)
        return;
    into.nShortest = from.nShortest < into.nShortest ? from.nShortest : into.nShortest;
    into.nLongest = from.nLongest > into.nLongest ? from.nLongest : into.nLongest;
    into.nCount += from.nCount;
}
}

CPacingRecord::CPacingRecord() : m_pEntries(new Entry[kCapacity])
{
    Begin(0, 0);
}

void CPacingRecord::Begin(LONGLONG nTicksPerSecond, DWORD nDisplayHz)
{
    m_nEntries = 0;
    m_nGrain = 1;
    m_nCoarsenings = 0;
    m_nTicksPerSecond = nTicksPerSecond;
    m_nShift = 0;
    while ((nTicksPerSecond >> m_nShift) > kMaxScaledPerSecond)
        ++m_nShift;
    m_nFrames = 0;
    m_nIntervals = 0;
    m_nSegmentIntervals = 0;
    m_bChained = false;
    m_nLast = 0;
    m_nCarry = 0;
    m_nLongest = 0;
    m_nLostTicks = 0;
    m_nSegments = 1;
    m_bMixed = false;
    for (DWORD& nHz : m_anSegmentHz)
        nHz = 0;
    m_anSegmentHz[0] = NormalHz(nDisplayHz);
}

void CPacingRecord::SetDisplayHz(DWORD nDisplayHz)
{
    nDisplayHz = NormalHz(nDisplayHz);
    if (m_bMixed || m_anSegmentHz[m_nSegments - 1] == nDisplayHz)
        return;
    // An interval across the change belongs to neither refresh.
    m_bChained = false;
    if (m_nSegmentIntervals == 0)
    {
        m_anSegmentHz[m_nSegments - 1] = nDisplayHz;
        return;
    }
    m_nSegmentIntervals = 0;
    if (m_nSegments == kMaxPacingSegments)
    {
        m_bMixed = true;
        return;
    }
    m_anSegmentHz[m_nSegments] = nDisplayHz;
    Append(MarkEntry(EntryKind::Segment, m_nSegments));
    ++m_nSegments;
}

void CPacingRecord::AddFrame(LONGLONG nTicks)
{
    ++m_nFrames;
    if (m_bChained)
    {
        const ULONGLONG nInterval = nTicks > m_nLast ? static_cast<ULONGLONG>(nTicks - m_nLast) : 0;
        if (nInterval > m_nLongest)
            m_nLongest = nInterval;
        ++m_nIntervals;
        ++m_nSegmentIntervals;
        // What each interval loses to the scale is carried into the next, so
        // that along a chain of frames nothing is lost to it.
        const ULONGLONG nCarried = nInterval + m_nCarry;
        m_nCarry = nCarried & ((1ull << m_nShift) - 1);
        const DWORD nScaled = Saturated(nCarried >> m_nShift);
        const Entry one = {nScaled, nScaled, nScaled, 1};
        Entry* pLast = m_nEntries != 0 ? &m_pEntries[m_nEntries - 1] : nullptr;
        if (pLast != nullptr && pLast->nCount != 0 && pLast->nCount < m_nGrain)
            Merge(*pLast, one);
        else
            Append(one);
    }
    m_nLast = nTicks;
    m_bChained = true;
}

void CPacingRecord::AddLostTime(LONGLONG nFrom, LONGLONG nTo)
{
    const ULONGLONG nLost = nTo > nFrom ? static_cast<ULONGLONG>(nTo - nFrom) : 0;
    m_nLostTicks += nLost;
    m_bChained = false;
    const Entry lost = MarkEntry(EntryKind::Lost, Saturated(nLost >> m_nShift));
    // A display that stays lost is one stretch, however often it was tried.
    if (m_nEntries != 0 && m_pEntries[m_nEntries - 1].Kind() == EntryKind::Lost)
        Merge(m_pEntries[m_nEntries - 1], lost);
    else
        Append(lost);
}

void CPacingRecord::Append(const Entry& entry)
{
    if (m_nEntries == kCapacity)
        Coarsen();
    if (m_nEntries == kCapacity)
    {
        // Nothing could be freed: the place before takes in intervals, and a
        // mark goes; its time is still counted as lost.
        if (entry.nCount != 0 && m_pEntries[m_nEntries - 1].nCount != 0)
            Merge(m_pEntries[m_nEntries - 1], entry);
        return;
    }
    m_pEntries[m_nEntries++] = entry;
}

void CPacingRecord::Coarsen()
{
    // Two neighbouring places of intervals become one, and the grain doubles;
    // marks keep their places, so the run's time and its breaks stay where
    // they were. Once in 2^17 frames, a pass of the buffer.
    DWORD nOut = 0;
    for (DWORD i = 0; i < m_nEntries; ++i)
    {
        const bool bPair = i + 1 < m_nEntries && m_pEntries[i].nCount != 0 && m_pEntries[i + 1].nCount != 0;
        m_pEntries[nOut] = m_pEntries[i];
        if (bPair)
            Merge(m_pEntries[nOut], m_pEntries[++i]);
        ++nOut;
    }
    if (nOut == m_nEntries)
    {
        // Marks and intervals in turn: the breaks go, their time stays lost.
        nOut = 0;
        for (DWORD i = 0; i < m_nEntries; ++i)
        {
            if (nOut != 0 && m_pEntries[i].Kind() == EntryKind::Lost)
                continue;
            if (nOut != 0 && m_pEntries[nOut - 1].nCount != 0 && m_pEntries[i].nCount != 0)
                Merge(m_pEntries[nOut - 1], m_pEntries[i]);
            else
                m_pEntries[nOut++] = m_pEntries[i];
        }
    }
    m_nEntries = nOut;
    m_nGrain *= 2;
    ++m_nCoarsenings;
}

CPacingRecord::Mark CPacingRecord::GetMark() const
{
    Mark mark = {};
    mark.nEntries = m_nEntries;
    if (m_nEntries != 0)
        mark.last = m_pEntries[m_nEntries - 1];
    mark.nGrain = m_nGrain;
    mark.nCoarsenings = m_nCoarsenings;
    mark.nFrames = m_nFrames;
    mark.nIntervals = m_nIntervals;
    mark.nSegmentIntervals = m_nSegmentIntervals;
    mark.nSegments = m_nSegments;
    mark.bMixed = m_bMixed;
    mark.bChained = m_bChained;
    mark.nLast = m_nLast;
    mark.nCarry = m_nCarry;
    mark.nLongest = m_nLongest;
    mark.nLostTicks = m_nLostTicks;
    return mark;
}

void CPacingRecord::Rewind(const Mark& mark)
{
    if (mark.nCoarsenings != m_nCoarsenings)
        return;
    m_nEntries = mark.nEntries;
    if (m_nEntries != 0)
        m_pEntries[m_nEntries - 1] = mark.last;
    m_nGrain = mark.nGrain;
    m_nFrames = mark.nFrames;
    m_nIntervals = mark.nIntervals;
    m_nSegmentIntervals = mark.nSegmentIntervals;
    m_nSegments = mark.nSegments;
    m_bMixed = mark.bMixed;
    m_bChained = mark.bChained;
    m_nLast = mark.nLast;
    m_nCarry = mark.nCarry;
    m_nLongest = mark.nLongest;
    m_nLostTicks = mark.nLostTicks;
}
