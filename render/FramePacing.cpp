#include "render/FramePacing.h"

#include <cmath>

namespace
{
// The histogram's scale: at most about two million steps a second.
const LONGLONG kMaxScaledPerSecond = 1 << 21;
// Below this many scaled steps each step has a bucket of its own.
const ULONGLONG kLinear = CFramePacing::kSubBuckets;
const unsigned kSubBits = 4; // kSubBuckets == 1 << kSubBits

// Frames come faster than the display can show them when both the median and
// the mean interval (leaving out pauses) are this many times shorter than its
// period: a mix of very short and long intervals that averages out near the
// period is not that.
const double kNotTiedRatio = 1.2;
// An interval is a whole number of steps (refreshes) k when it lies within a
// fifth of a step of k steps, up to four: a real clock's scatter (a
// millisecond or two at 60 Hz) stays inside.
const double kStepTolerance = 0.2;
const unsigned kMaxMultiple = 4;

// Where the intervals of one refresh form a clear group (this many at least,
// and a tenth of them all), the period they show replaces DirectDraw's whole
// hertz while it stays this close: 59.94 Hz for the 60 it says, never 50.
const DWORD kMinGroup = 10;
const double kMinGroupShare = 0.1;
const double kGivenTolerance = 0.03;

// Where DirectDraw gives no refresh, a step counts as shown when nine in ten
// intervals are whole steps and at least two multiples hold a tenth each: a
// single steady group shows no step, and a spread of times fits only two in
// five.
const double kFitShare = 0.9;
const double kMultipleShare = 0.1;
const double kLowestHz = 20;
const double kHighestHz = 400;

// Without a refresh to count against: late beyond this many typical intervals,
// early below this share of one.
const double kLateRatio = 1.5;
const double kEarlyRatio = 0.5;
// The most common group: the run of adjacent buckets (about 20 % wide) that
// holds the most intervals.
const unsigned kGroupBuckets = 5;

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

DWORD NormalHz(DWORD nDisplayHz)
{
    return nDisplayHz > 1 && nDisplayHz <= 1000 ? nDisplayHz : 0;
}

ULONGLONG Nearest(double d)
{
    return static_cast<ULONGLONG>(std::floor(d + 0.5));
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
    m_nFrames = 0;
    m_nIntervals = 0;
    m_bChained = false;
    m_nLast = 0;
    m_nLongest = 0;
    m_nLostTicks = 0;
    m_nSegments = 1;
    for (Segment& segment : m_aSegments)
        segment = Segment{};
    m_aSegments[0].nDisplayHz = NormalHz(nDisplayHz);
}

void CFramePacing::SetDisplayHz(DWORD nDisplayHz)
{
    nDisplayHz = NormalHz(nDisplayHz);
    Segment& current = m_aSegments[m_nSegments - 1];
    if (current.bMixed || current.nDisplayHz == nDisplayHz)
        return;
    // An interval across the change belongs to neither refresh.
    m_bChained = false;
    if (current.nIntervals == 0)
        current.nDisplayHz = nDisplayHz;
    else if (m_nSegments < kMaxPacingSegments)
        m_aSegments[m_nSegments++].nDisplayHz = nDisplayHz;
    else
        current.bMixed = true;
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
        Segment& segment = m_aSegments[m_nSegments - 1];
        ++segment.anCount[nBucket];
        segment.anSum[nBucket] += nInterval;
        ++segment.nIntervals;
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

CFramePacing::Share CFramePacing::Between(const Segment& s, double dLow, double dHigh) const
{
    Share share = {0, 0};
    for (unsigned i = 0; i < kBuckets; ++i)
    {
        if (s.anCount[i] == 0)
            continue;
        const double dBucketLow = static_cast<double>(BucketLow(i));
        const double dBucketLast = static_cast<double>(BucketHigh(i) - 1);
        const bool bAllIn = dBucketLow >= dLow && dBucketLast <= dHigh;
        const bool bAllOut = dBucketLast < dLow || dBucketLow > dHigh;
        const double dMean = static_cast<double>(s.anSum[i]) / s.anCount[i];
        if (bAllIn || (!bAllOut && dMean >= dLow && dMean <= dHigh))
        {
            share.nCount += s.anCount[i];
            share.nSum += s.anSum[i];
        }
    }
    return share;
}

double CFramePacing::MedianTicks(const Segment& s) const
{
    const DWORD nHalf = (s.nIntervals + 1) / 2;
    DWORD nSeen = 0;
    for (unsigned i = 0; i < kBuckets; ++i)
    {
        nSeen += s.anCount[i];
        if (nSeen >= nHalf && s.anCount[i] != 0)
            return static_cast<double>(s.anSum[i]) / s.anCount[i];
    }
    return 0;
}

CFramePacing::Share CFramePacing::MostCommonGroup(const Segment& s) const
{
    Share best = {0, 0};
    for (unsigned nFirst = 0; nFirst + kGroupBuckets <= kBuckets; ++nFirst)
    {
        Share group = {0, 0};
        for (unsigned i = nFirst; i < nFirst + kGroupBuckets; ++i)
        {
            group.nCount += s.anCount[i];
            group.nSum += s.anSum[i];
        }
        if (group.nCount > best.nCount)
            best = group;
    }
    return best;
}

CFramePacing::StepFit CFramePacing::FitSteps(const Segment& s, double dStep) const
{
    StepFit fit = {0, 0, 0};
    ULONGLONG nSum = 0;
    ULONGLONG nSteps = 0;
    for (unsigned k = 1; k <= kMaxMultiple; ++k)
    {
        const Share multiple = Between(s, (k - kStepTolerance) * dStep, (k + kStepTolerance) * dStep);
        fit.nFit += multiple.nCount;
        nSum += multiple.nSum;
        nSteps += static_cast<ULONGLONG>(k) * multiple.nCount;
        if (multiple.nCount >= kMultipleShare * s.nIntervals)
            ++fit.nGroups;
    }
    // Each timestamp's own error cancels out along a chain of intervals, so
    // the total over whole steps is far more exact than one group's mean.
    if (nSteps != 0)
        fit.dStep = static_cast<double>(nSum) / static_cast<double>(nSteps);
    return fit;
}

double CFramePacing::EstimateStep(const Segment& s, double dTypical) const
{
    const double dTicksPerSecond = static_cast<double>(m_nTicksPerSecond);
    // The typical interval is one step, or two or three where most frames
    // stayed for several (a run of 1, 2, 2 refreshes).
    for (unsigned nDivisor = 1; nDivisor <= 3; ++nDivisor)
    {
        const double dStep = dTypical / nDivisor;
        if (dStep < dTicksPerSecond / kHighestHz || dStep > dTicksPerSecond / kLowestHz)
            continue;
        const StepFit fit = FitSteps(s, dStep);
        if (fit.nFit >= kFitShare * s.nIntervals && fit.nGroups >= 2)
            return fit.dStep;
    }
    return 0;
}

void CFramePacing::CountInRefreshes(const Segment& s, double dPeriod, PacingSegment& out) const
{
    bool bFirst = true;
    bool bSteady = true;
    ULONGLONG nFirstK = 0;
    auto add = [&](ULONGLONG k, DWORD n) {
        if (n == 0)
            return;
        if (k == 0)
            out.nEarly += n;
        else if (k >= 2)
        {
            out.nHeld += n;
            out.nRepeated += static_cast<DWORD>((k - 1) * n);
        }
        if (bFirst)
            nFirstK = k;
        bSteady = bSteady && k == nFirstK;
        bFirst = false;
    };
    for (unsigned i = 0; i < kBuckets; ++i)
    {
        const DWORD n = s.anCount[i];
        if (n == 0)
            continue;
        const double dSum = static_cast<double>(s.anSum[i]);
        const ULONGLONG kLow = Nearest(static_cast<double>(BucketLow(i)) / dPeriod);
        const ULONGLONG kHigh = Nearest(static_cast<double>(BucketHigh(i) - 1) / dPeriod);
        if (kLow == kHigh)
        {
            add(kLow, n);
        }
        else if (kHigh == kLow + 1)
        {
            // The bucket straddles the rounding point between k and k + 1
            // refreshes: its exact sum tells how many refreshes its intervals
            // took in all, and so how many were k + 1.
            const LONGLONG nExtra = static_cast<LONGLONG>(Nearest(dSum / dPeriod)) - static_cast<LONGLONG>(kLow * n);
            const DWORD nHigh = nExtra <= 0 ? 0 : nExtra >= n ? n : static_cast<DWORD>(nExtra);
            add(kLow, n - nHigh);
            add(kHigh, nHigh);
        }
        else
        {
            // Wider than a refresh: pauses of many refreshes, taken at their mean.
            add(Nearest(dSum / n / dPeriod), n);
        }
    }
    out.nSteady = bSteady ? static_cast<DWORD>(nFirstK) : 0;
}

PacingSegment CFramePacing::Judge(const Segment& s) const
{
    PacingSegment out = {};
    out.nDisplayHz = s.bMixed ? 0 : s.nDisplayHz;
    out.nIntervals = s.nIntervals;
    if (m_nTicksPerSecond <= 0 || s.nIntervals < kMinIntervals)
        return out;
    const Share group = MostCommonGroup(s);
    if (group.nCount == 0 || group.nSum == 0)
        return out;
    out.bFigure = true;
    const double dTicksPerSecond = static_cast<double>(m_nTicksPerSecond);
    const double dTypical = static_cast<double>(group.nSum) / group.nCount;

    if (out.nDisplayHz != 0)
    {
        const double dGiven = dTicksPerSecond / out.nDisplayHz;
        // Pauses of many refreshes say nothing of how fast the frames came.
        const Share paced = Between(s, 0, kMaxMultiple * dGiven);
        const double dMean = paced.nCount != 0 ? static_cast<double>(paced.nSum) / paced.nCount : dGiven;
        out.bNotTied = MedianTicks(s) * kNotTiedRatio < dGiven && dMean * kNotTiedRatio < dGiven;
        if (!out.bNotTied)
        {
            double dPeriod = dGiven;
            out.refresh = PacingRefresh::Given;
            const Share one = Between(s, (1 - kStepTolerance) * dGiven, (1 + kStepTolerance) * dGiven);
            if (one.nCount >= kMinGroup && one.nCount >= kMinGroupShare * s.nIntervals)
            {
                const double dMeasured = FitSteps(s, dGiven).dStep;
                if (std::fabs(dMeasured - dGiven) <= kGivenTolerance * dGiven)
                {
                    dPeriod = dMeasured;
                    out.refresh = PacingRefresh::Measured;
                }
            }
            out.dRefreshHz = dTicksPerSecond / dPeriod;
            CountInRefreshes(s, dPeriod, out);
            return out;
        }
    }
    else
    {
        const double dStep = EstimateStep(s, dTypical);
        if (dStep > 0)
        {
            out.refresh = PacingRefresh::Estimated;
            out.dRefreshHz = dTicksPerSecond / dStep;
            CountInRefreshes(s, dStep, out);
            return out;
        }
    }

    // No refresh to count against: the frames' own typical time.
    out.dTypicalMs = dTypical * 1000.0 / dTicksPerSecond;
    out.dTypicalHz = dTicksPerSecond / dTypical;
    out.nLate = s.nIntervals - Between(s, 0, kLateRatio * dTypical).nCount;
    out.nEarly = Between(s, 0, kEarlyRatio * dTypical).nCount;
    return out;
}

FramePacingSummary CFramePacing::Summarize() const
{
    FramePacingSummary summary = {};
    summary.nFrames = m_nFrames;
    summary.nIntervals = m_nIntervals;
    summary.nSegments = m_nSegments;
    for (unsigned i = 0; i < m_nSegments; ++i)
        summary.aSegments[i] = Judge(m_aSegments[i]);
    if (m_nTicksPerSecond <= 0)
        return summary;
    const double dTicksPerSecond = static_cast<double>(m_nTicksPerSecond);
    summary.dLostSeconds = static_cast<double>(m_nLostTicks) / dTicksPerSecond;
    summary.dLongestMs = static_cast<double>(m_nLongest) * 1000.0 / dTicksPerSecond;
    return summary;
}
