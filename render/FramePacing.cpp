#include "render/FramePacing.h"

namespace
{
// The histogram's scale: at most about two million steps a second.
const LONGLONG kMaxScaledPerSecond = 1 << 21;
// Below this many scaled steps each step has a bucket of its own.
const ULONGLONG kLinear = CFramePacing::kSubBuckets;
const unsigned kSubBits = 4; // kSubBuckets == 1 << kSubBits

// The frames keep pace with the display while their rate is within this
// share of its refresh; above the second they come faster than it can show.
const double kPaceTolerance = 0.1;
const double kNotTiedRatio = 1.2;
// An interval longer than this many expected periods is a late frame.
const double kLateRatio = 1.5;

unsigned HighestBit(ULONGLONG n)
{
    unsigned nBit = 0;
    const unsigned kSteps[] = {32, 16, 8, 4, 2, 1};
    for (unsigned nStep : kSteps)
    {
        if ((n >> nStep) != 0)
        {
            n >>= nStep;
            nBit += nStep;
        }
    }
    return nBit;
}
}

CFramePacing::CFramePacing()
{
    Begin(0, 0);
}

void CFramePacing::Begin(LONGLONG nTicksPerSecond, DWORD nDisplayHz)
{
    m_nTicksPerSecond = nTicksPerSecond;
    m_nShift = 0;
    while ((nTicksPerSecond >> m_nShift) > kMaxScaledPerSecond)
        ++m_nShift;
    m_nDisplayHz = nDisplayHz > 1 && nDisplayHz <= 1000 ? nDisplayHz : 0;
    m_nFrames = 0;
    m_nIntervals = 0;
    m_bChained = false;
    m_nLast = 0;
    m_nLongest = 0;
    m_nLostTicks = 0;
    for (unsigned i = 0; i < kBuckets; ++i)
    {
        m_anCount[i] = 0;
        m_anSum[i] = 0;
    }
}

unsigned CFramePacing::BucketOf(ULONGLONG nInterval) const
{
    const ULONGLONG nScaled = nInterval >> m_nShift;
    if (nScaled < kLinear)
        return static_cast<unsigned>(nScaled);
    const unsigned nBit = HighestBit(nScaled);
    if (nBit > kTopBit)
        return kBuckets - 1;
    const unsigned nSub = static_cast<unsigned>(nScaled >> (nBit - kSubBits)) & (kSubBuckets - 1);
    return kSubBuckets + (nBit - kSubBits) * kSubBuckets + nSub;
}

ULONGLONG CFramePacing::BucketLow(unsigned nBucket) const
{
    if (nBucket < kLinear)
        return static_cast<ULONGLONG>(nBucket) << m_nShift;
    const unsigned nOctave = (nBucket - kSubBuckets) / kSubBuckets;
    const ULONGLONG nSub = (nBucket - kSubBuckets) % kSubBuckets;
    return ((kSubBuckets + nSub) << nOctave) << m_nShift;
}

ULONGLONG CFramePacing::BucketHigh(unsigned nBucket) const
{
    if (nBucket == kBuckets - 1)
        return ~0ull;
    return BucketLow(nBucket + 1);
}

void CFramePacing::AddFrame(LONGLONG nTicks)
{
    ++m_nFrames;
    if (m_bChained)
    {
        const ULONGLONG nInterval = nTicks > m_nLast ? static_cast<ULONGLONG>(nTicks - m_nLast) : 0;
        const unsigned nBucket = BucketOf(nInterval);
        ++m_anCount[nBucket];
        m_anSum[nBucket] += nInterval;
        ++m_nIntervals;
        if (nInterval > m_nLongest)
            m_nLongest = nInterval;
    }
    m_nLast = nTicks;
    m_bChained = true;
}

void CFramePacing::AddLostTime(LONGLONG nFrom, LONGLONG nTo)
{
    if (nTo > nFrom)
        m_nLostTicks += static_cast<ULONGLONG>(nTo - nFrom);
    m_bChained = false;
}

CFramePacing::Share CFramePacing::UpTo(double dLimit) const
{
    Share share = {0, 0};
    for (unsigned i = 0; i < kBuckets; ++i)
    {
        if (m_anCount[i] == 0)
            continue;
        const bool bAllBelow = static_cast<double>(BucketHigh(i) - 1) <= dLimit;
        const bool bAllAbove = static_cast<double>(BucketLow(i)) > dLimit;
        const double dMean = static_cast<double>(m_anSum[i]) / m_anCount[i];
        if (bAllBelow || (!bAllAbove && dMean <= dLimit))
        {
            share.nCount += m_anCount[i];
            share.nSum += m_anSum[i];
        }
    }
    return share;
}

double CFramePacing::MedianTicks() const
{
    const DWORD nHalf = (m_nIntervals + 1) / 2;
    DWORD nSeen = 0;
    for (unsigned i = 0; i < kBuckets; ++i)
    {
        nSeen += m_anCount[i];
        if (nSeen >= nHalf && m_anCount[i] != 0)
            return static_cast<double>(m_anSum[i]) / m_anCount[i];
    }
    return 0;
}

FramePacingSummary CFramePacing::Summarize() const
{
    FramePacingSummary summary = {};
    summary.nFrames = m_nFrames;
    summary.nIntervals = m_nIntervals;
    summary.nDisplayHz = m_nDisplayHz;
    if (m_nTicksPerSecond <= 0)
        return summary;
    const double dTicksPerSecond = static_cast<double>(m_nTicksPerSecond);
    summary.dLostSeconds = static_cast<double>(m_nLostTicks) / dTicksPerSecond;
    summary.dLongestMs = static_cast<double>(m_nLongest) * 1000.0 / dTicksPerSecond;
    if (m_nIntervals < kMinIntervals)
        return summary;

    // The median alone is only as fine as its bucket, and the mean of all
    // intervals follows every pause: the mean of those not late against the
    // median is both exact and robust.
    const Share typical = UpTo(kLateRatio * MedianTicks());
    if (typical.nCount == 0 || typical.nSum == 0)
        return summary;
    const double dTypical = static_cast<double>(typical.nSum) / typical.nCount;
    summary.bFigure = true;
    summary.dTypicalMs = dTypical * 1000.0 / dTicksPerSecond;
    summary.dTypicalHz = dTicksPerSecond / dTypical;

    // A frame is late against the display's period while the frames keep pace
    // with it, and otherwise against their own typical time.
    double dExpected = dTypical;
    if (m_nDisplayHz != 0)
    {
        const double dRatio = summary.dTypicalHz / m_nDisplayHz;
        if (dRatio >= 1.0 - kPaceTolerance && dRatio <= 1.0 + kPaceTolerance)
            dExpected = dTicksPerSecond / m_nDisplayHz;
        summary.bNotTied = dRatio > kNotTiedRatio;
    }
    summary.nLate = m_nIntervals - UpTo(kLateRatio * dExpected).nCount;
    return summary;
}
