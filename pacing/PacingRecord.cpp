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
    m_nTicksPerSecond = nTicksPerSecond;
    m_nShift = 0;
    while ((nTicksPerSecond >> m_nShift) > kMaxScaledPerSecond)
        ++m_nShift;
    m_t = Mark::Tally();
    m_t.nGrain = 1;
    m_t.nSegments = 1;
    for (DWORD& nHz : m_anSegmentHz)
        nHz = 0;
    m_anSegmentHz[0] = NormalHz(nDisplayHz);
}

void CPacingRecord::SetDisplayHz(DWORD nDisplayHz)
{
    nDisplayHz = NormalHz(nDisplayHz);
    if (m_t.bMixed || m_anSegmentHz[m_t.nSegments - 1] == nDisplayHz)
        return;
    // An interval across the change belongs to neither refresh.
    m_t.bChained = false;
    if (m_t.nSegmentIntervals == 0)
    {
        m_anSegmentHz[m_t.nSegments - 1] = nDisplayHz;
        return;
    }
    m_t.nSegmentIntervals = 0;
    if (m_t.nSegments == kMaxPacingSegments)
    {
        m_t.bMixed = true;
        return;
    }
    m_anSegmentHz[m_t.nSegments] = nDisplayHz;
    Append(MarkEntry(EntryKind::Segment, m_t.nSegments));
    ++m_t.nSegments;
}

void CPacingRecord::AddFrame(LONGLONG nTicks)
{
    ++m_t.nFrames;
    if (m_t.bChained)
    {
        const ULONGLONG nInterval = nTicks > m_t.nLast ? static_cast<ULONGLONG>(nTicks - m_t.nLast) : 0;
        if (nInterval > m_t.nLongest)
            m_t.nLongest = nInterval;
        ++m_t.nIntervals;
        ++m_t.nSegmentIntervals;
        // What each interval loses to the scale is carried into the next, so
        // that along a chain of frames nothing is lost to it.
        const ULONGLONG nCarried = nInterval + m_t.nCarry;
        m_t.nCarry = nCarried & ((1ull << m_nShift) - 1);
        const DWORD nScaled = Saturated(nCarried >> m_nShift);
        const Entry one = {nScaled, nScaled, nScaled, 1};
        Entry* pLast = m_t.nEntries != 0 ? &m_pEntries[m_t.nEntries - 1] : nullptr;
        if (pLast != nullptr && pLast->nCount != 0 && pLast->nCount < m_t.nGrain)
            Merge(*pLast, one);
        else
            Append(one);
    }
    m_t.nLast = nTicks;
    m_t.bChained = true;
}

void CPacingRecord::AddLostTime(LONGLONG nFrom, LONGLONG nTo)
{
    const ULONGLONG nLost = nTo > nFrom ? static_cast<ULONGLONG>(nTo - nFrom) : 0;
    m_t.nLostTicks += nLost;
    m_t.bChained = false;
    const Entry lost = MarkEntry(EntryKind::Lost, Saturated(nLost >> m_nShift));
    // A display that stays lost is one stretch, however often it was tried.
    if (m_t.nEntries != 0 && m_pEntries[m_t.nEntries - 1].Kind() == EntryKind::Lost)
        Merge(m_pEntries[m_t.nEntries - 1], lost);
    else
        Append(lost);
}

void CPacingRecord::Append(const Entry& entry)
{
    if (m_t.nEntries == kCapacity)
        Coarsen();
    if (m_t.nEntries == kCapacity)
    {
        // Nothing could be freed: the place before takes in intervals, and a
        // mark goes; its time is still counted as lost.
        if (entry.nCount != 0 && m_pEntries[m_t.nEntries - 1].nCount != 0)
            Merge(m_pEntries[m_t.nEntries - 1], entry);
        return;
    }
    m_pEntries[m_t.nEntries++] = entry;
}

void CPacingRecord::Coarsen()
{
    // Two neighbouring places of intervals become one, and the grain doubles;
    // marks keep their places, so the run's time and its breaks stay where
    // they were. Once in 2^17 frames, a pass of the buffer.
    DWORD nOut = 0;
    for (DWORD i = 0; i < m_t.nEntries; ++i)
    {
        const bool bPair = i + 1 < m_t.nEntries && m_pEntries[i].nCount != 0 && m_pEntries[i + 1].nCount != 0;
        m_pEntries[nOut] = m_pEntries[i];
        if (bPair)
            Merge(m_pEntries[nOut], m_pEntries[++i]);
        ++nOut;
    }
    if (nOut == m_t.nEntries)
    {
        // Marks and intervals in turn: the breaks go, their time stays lost.
        nOut = 0;
        for (DWORD i = 0; i < m_t.nEntries; ++i)
        {
            if (nOut != 0 && m_pEntries[i].Kind() == EntryKind::Lost)
                continue;
            if (nOut != 0 && m_pEntries[nOut - 1].nCount != 0 && m_pEntries[i].nCount != 0)
                Merge(m_pEntries[nOut - 1], m_pEntries[i]);
            else
                m_pEntries[nOut++] = m_pEntries[i];
        }
    }
    m_t.nEntries = nOut;
    m_t.nGrain *= 2;
    ++m_t.nCoarsenings;
}

CPacingRecord::Mark CPacingRecord::GetMark() const
{
    Mark mark = {m_t, Entry()};
    if (m_t.nEntries != 0)
        mark.last = m_pEntries[m_t.nEntries - 1];
    return mark;
}

void CPacingRecord::Rewind(const Mark& mark)
{
    if (mark.tally.nCoarsenings != m_t.nCoarsenings)
        return;
    m_t = mark.tally;
    if (m_t.nEntries != 0)
        m_pEntries[m_t.nEntries - 1] = mark.last;
}
