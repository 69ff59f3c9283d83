#include "pacing/PacingJudgement.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
// A figure needs at least this many intervals.
const DWORD kMinIntervals = 2;

// A frame sits on the refresh grid when it lies within a quarter of a refresh
// of it: real flips scatter by a millisecond or two at 60 Hz, and a frame
// that keeps its own time lands anywhere in the refresh, half of them
// further off. Four in five frames on the grid make a run tied to it: frames
// at a rate of their own put at most three in four there (48 a second on
// 60 Hz), and a loaded machine that wakes the loop late after some flips
// leaves a tied run fewer than nine in ten.
const double kOnGrid = 0.25;
const double kTiedShare = 0.8;
// The grid's phase follows the frames by an eighth of each one's offset, so
// that a refresh a little off the one assumed still keeps every frame on it.
const double kFollow = 1.0 / 8;
// Where each chain's phase is first taken from: the median of its first frames.
const size_t kPhaseFrames = 64;
// DirectDraw gives whole hertz, rounded or cut off (59 for 59.94): the
// frames confirm it when they show a refresh less than a hertz away.
const double kGivenToleranceHz = 1.0;
// Below this no display refreshes; a driver that says so is not believed.
const DWORD kLowestGivenHz = 20;
// Frames far faster than the display keep their own time when both their
// median and their mean (leaving out pauses of many refreshes) are this many
// times shorter than its refresh; a mix of very short and long intervals
// that averages out near the refresh is not that.
const double kFasterRatio = 1.2;
const double kPauseRefreshes = 4;
// Frames whose typical interval is this many refreshes or more tell nothing
// against that refresh: a driver's word that doesn't fit them.
const double kFarSlowerRefreshes = 4;
// A refresh that the frames show by themselves: intervals of at least two
// different whole numbers of one step, each a tenth of them all, within these
// rates. A single steady interval shows no step: the frames may keep their own.
const double kMultipleShare = 0.1;
const double kLowestHz = 20;
const double kHighestHz = 400;
// Not tied, or no refresh: late beyond this many typical intervals, early
// below this share of one; the typical one is the mean of the most common
// group, intervals within about 20 % of each other.
const double kLateRatio = 1.5;
const double kEarlyRatio = 0.5;
const double kGroupWidth = 1.2;

// One place of the record, in counter ticks.
struct Item
{
    double dTicks;
    double dShortest;
    double dLongest;
    DWORD nCount;
    bool bChainStart; // the frame before it began a chain: the one before was lost
    DWORD nEntry;     // its place in the record
};

typedef std::vector<Item> Items;

// The frames laid on a grid of one period.
struct Grid
{
    double dPeriod = 0;
    std::vector<LONGLONG> anRefreshes; // each item's refreshes
    std::vector<bool> abOnGrid;        // whether each item ends on the grid
    std::vector<double> adStartPhase;  // each chain's phase at its first frame
    std::vector<double> adFirstPhase;  // each chain's phase as its first frames show it
    double dOnGrid = 0;                // share of the intervals that end on the grid
    double dSpread = 0;                // scatter of the frames about the grid, in ticks
    double dSnn = 0;                   // the refresh counts' own spread, for the period's error
};

// The intervals as values with their weights, shortest first: a place of
// several counts as that many intervals at its mean.
std::vector<std::pair<double, DWORD>> Sorted(const Items& items)
{
    std::vector<std::pair<double, DWORD>> values;
    values.reserve(items.size());
    for (const Item& item : items)
        values.emplace_back(item.dTicks / item.nCount, item.nCount);
    std::sort(values.begin(), values.end());
    return values;
}

// The median of the nIntervals intervals that the values from nFirst on hold.
double Median(const std::vector<std::pair<double, DWORD>>& values, DWORD nIntervals, size_t nFirst = 0)
{
    DWORD nSeen = 0;
    for (size_t i = nFirst; i < values.size(); ++i)
    {
        nSeen += values[i].second;
        if (nSeen >= (nIntervals + 1) / 2)
            return values[i].first;
    }
    return 0;
}

// The mean of the most common group of intervals, those within kGroupWidth
// of each other about the median of the densest tenth-wide window: two
// groups a fifth apart (60 and 50 a second) fit in one wider window, and
// their mean is neither.
double Typical(const std::vector<std::pair<double, DWORD>>& values)
{
    const double dHalfWidth = std::sqrt(kGroupWidth);
    DWORD nBest = 0, nIn = 0;
    size_t nFirst = 0, nBestFirst = 0;
    for (size_t i = 0; i < values.size(); ++i)
    {
        nIn += values[i].second;
        while (values[i].first > values[nFirst].first * dHalfWidth)
        {
            nIn -= values[nFirst].second;
            ++nFirst;
        }
        if (nIn > nBest)
        {
            nBest = nIn;
            nBestFirst = nFirst;
        }
    }
    if (nBest == 0)
        return 0;
    const double dMedian = Median(values, nBest, nBestFirst);
    double dSum = 0;
    DWORD nNear = 0;
    for (const auto& value : values)
    {
        if (value.first * dHalfWidth >= dMedian && value.first <= dMedian * dHalfWidth)
        {
            dSum += value.first * value.second;
            nNear += value.second;
        }
    }
    return dSum / nNear;
}

// Each frame of a chain gets the refresh nearest its time on the grid, never
// one before the frame before's, and the grid's phase follows the frames. A
// chain's phase starts where pPhases says, or else at its first frame.
Grid Assign(const Items& items, double dPeriod, const std::vector<double>* pPhases)
{
    Grid grid;
    grid.dPeriod = dPeriod;
    grid.anRefreshes.resize(items.size());
    grid.abOnGrid.resize(items.size());
    const double dLimit = kOnGrid * dPeriod;
    std::vector<double> first;
    double dOn = 0, dAll = 0;
    double dTime = 0, dPhase = 0;
    LONGLONG n = 0;
    auto endChain = [&] {
        std::sort(first.begin(), first.end());
        grid.adFirstPhase.push_back(first.empty() ? 0 : first[first.size() / 2]);
    };
    for (size_t i = 0; i < items.size(); ++i)
    {
        const Item& item = items[i];
        if (i == 0 || item.bChainStart)
        {
            if (i != 0)
                endChain();
            const size_t nChain = grid.adStartPhase.size();
            dPhase = pPhases != nullptr && nChain < pPhases->size() ? (*pPhases)[nChain] : 0;
            grid.adStartPhase.push_back(dPhase);
            first.clear();
            dTime = 0;
            n = 0;
        }
        dTime += item.dTicks;
        const LONGLONG nAt = std::max<LONGLONG>(n, std::llround((dTime - dPhase) / dPeriod));
        grid.anRefreshes[i] = nAt - n;
        n = nAt;
        const double dOffset = dTime - dPhase - static_cast<double>(n) * dPeriod;
        grid.abOnGrid[i] = std::fabs(dOffset) <= dLimit;
        dOn += grid.abOnGrid[i] ? item.nCount : 0;
        dAll += item.nCount;
        // A frame far off moves the phase no more than one a quarter off.
        dPhase += kFollow * std::max(-dLimit, std::min(dLimit, dOffset));
        if (first.size() < kPhaseFrames)
            first.push_back(dTime - static_cast<double>(n) * dPeriod);
    }
    if (!items.empty())
        endChain();
    grid.dOnGrid = dAll > 0 ? dOn / dAll : 0;
    return grid;
}

// The period that fits the frames on the grid best, by least squares over
// each chain: every frame's time against its refresh, so that each frame's
// scatter cancels out along the whole chain, and a late last frame counts no
// more than any other. Frames off the grid are left out.
void FitPeriod(const Items& items, Grid& grid)
{
    struct Point
    {
        double n, t;
    };
    std::vector<std::vector<Point>> chains;
    double dTime = 0;
    LONGLONG n = 0;
    for (size_t i = 0; i < items.size(); ++i)
    {
        if (i == 0 || items[i].bChainStart)
        {
            chains.emplace_back();
            dTime = 0;
            n = 0;
            if (std::fabs(grid.adStartPhase[chains.size() - 1]) <= kOnGrid * grid.dPeriod)
                chains.back().push_back(Point{0, 0});
        }
        dTime += items[i].dTicks;
        n += grid.anRefreshes[i];
        if (grid.abOnGrid[i])
            chains.back().push_back(Point{static_cast<double>(n), dTime});
    }
    double dSnt = 0, dSnn = 0, dSrr = 0;
    size_t nPoints = 0, nChains = 0;
    std::vector<Point> centred;
    for (const std::vector<Point>& chain : chains)
    {
        if (chain.size() < 2)
            continue;
        double dN = 0, dT = 0;
        for (const Point& p : chain)
        {
            dN += p.n;
            dT += p.t;
        }
        dN /= static_cast<double>(chain.size());
        dT /= static_cast<double>(chain.size());
        for (const Point& p : chain)
        {
            dSnt += (p.n - dN) * (p.t - dT);
            dSnn += (p.n - dN) * (p.n - dN);
            centred.push_back(Point{p.n - dN, p.t - dT});
        }
        nPoints += chain.size();
        ++nChains;
    }
    if (dSnn <= 0)
        return;
    grid.dPeriod = dSnt / dSnn;
    grid.dSnn = dSnn;
    for (const Point& p : centred)
        dSrr += (p.t - grid.dPeriod * p.n) * (p.t - grid.dPeriod * p.n);
    const size_t nFree = nPoints > nChains + 1 ? nPoints - nChains - 1 : 0;
    grid.dSpread = nFree != 0 ? std::sqrt(dSrr / static_cast<double>(nFree)) : 0;
}

// The frames laid on the grid of the refresh nearest dSeed: the seed made
// exact by the total time over the total refreshes of the intervals (pauses
// left out), the frames given their refreshes from their first frames' phase,
// the period fitted to them, and the frames laid again on that.
Grid FitGrid(const Items& items, double dSeed)
{
    double dSum = 0, dSteps = 0;
    for (const Item& item : items)
    {
        const double k = std::floor(item.dTicks / dSeed + 0.5);
        if (k <= kPauseRefreshes * item.nCount)
        {
            dSum += item.dTicks;
            dSteps += k;
        }
    }
    const double dPeriod = dSteps > 0 ? dSum / dSteps : dSeed;
    const Grid first = Assign(items, dPeriod, nullptr);
    Grid grid = Assign(items, dPeriod, &first.adFirstPhase);
    FitPeriod(items, grid);
    Grid laid = Assign(items, grid.dPeriod, &grid.adFirstPhase);
    FitPeriod(items, laid);
    return laid;
}

// Whether the frames show a step of their own: two whole numbers of it or
// more, each held by a tenth of the intervals.
bool ShowsAStep(const Items& items, const Grid& grid, DWORD nIntervals)
{
    std::vector<DWORD> anPerK;
    for (size_t i = 0; i < items.size(); ++i)
    {
        if (items[i].nCount != 1)
            continue;
        const size_t k = static_cast<size_t>(grid.anRefreshes[i]);
        if (k >= anPerK.size())
            anPerK.resize(k + 1);
        ++anPerK[k];
    }
    int nGroups = 0;
    for (size_t k = 1; k < anPerK.size(); ++k)
        nGroups += anPerK[k] >= kMultipleShare * nIntervals ? 1 : 0;
    return nGroups >= 2;
}

// The refresh the frames show by themselves, from their typical interval as
// one, two or three steps (a run of 1, 2, 2 refreshes); none when they show
// no clear step.
bool EstimateStep(const Items& items, double dTypical, double dTicksPerSecond, DWORD nIntervals, Grid& found)
{
    for (int nDivisor = 1; nDivisor <= 3; ++nDivisor)
    {
        const double dStep = dTypical / nDivisor;
        if (dStep < dTicksPerSecond / kHighestHz || dStep > dTicksPerSecond / kLowestHz)
            continue;
        const Grid grid = FitGrid(items, dStep);
        if (grid.dOnGrid >= kTiedShare && ShowsAStep(items, grid, nIntervals))
        {
            found = grid;
            return true;
        }
    }
    return false;
}

// The step of frames that keep a steady time of their own, some of them a
// whole step late or more: total time over total steps, as for a refresh, so
// that the scatter of their timestamps doesn't bias it as it does the mean of
// their most common group. Frames with no steady step keep that mean.
double OwnStep(const Items& items, double dTypical)
{
    const Grid grid = FitGrid(items, dTypical);
    const bool bSteady = grid.dOnGrid >= kTiedShare && grid.dPeriod * kGroupWidth > dTypical
        && grid.dPeriod < dTypical * kGroupWidth;
    return bSteady ? grid.dPeriod : dTypical;
}

// Three times the error of the refresh: the frames' scatter about the grid
// over the spread of their refresh counts is the period's error.
double RefreshError(const Grid& grid, double dHz, double dQuantum)
{
    if (grid.dSnn <= 0)
        return dHz;
    const double dSpread = std::sqrt(grid.dSpread * grid.dSpread + dQuantum * dQuantum / 12);
    return 3 * dHz * dSpread / std::sqrt(grid.dSnn) / grid.dPeriod;
}

// A decimal of the refresh is given only where its error stays within half
// of it: the figure is then rounded right.
int Decimals(double dError)
{
    return dError <= 0.005 ? 2 : dError <= 0.05 ? 1 : 0;
}

void CountInRefreshes(const Items& items, const Grid& grid, PacingSegment& out, BYTE* pMarks)
{
    LONGLONG nSteady = -1;
    bool bSteady = true;
    bool bCadence = true;
    LONGLONG nBefore = 0;
    auto byRefreshes = [&](LONGLONG k, DWORD n) { out.anByRefreshes[k < 4 ? k : 4] += n; };
    for (size_t i = 0; i < items.size(); ++i)
    {
        const Item& item = items[i];
        const LONGLONG k = grid.anRefreshes[i];
        const LONGLONG nCount = item.nCount;
        BYTE& mark = pMarks[item.nEntry];
        if (item.bChainStart)
            nBefore = 0;
        if (nCount == 1)
        {
            if (k == 0)
                ++out.nEarly;
            else if (k >= 2)
            {
                ++out.nHeld;
                out.nRepeated += static_cast<DWORD>(k - 1);
            }
            mark = k == 0 ? kPacingShort : k >= 2 ? kPacingLong : 0;
            byRefreshes(k, 1);
            bCadence = bCadence && (k == 2 || k == 3) && k != nBefore;
            nBefore = k;
        }
        else
        {
            // Several intervals: their refreshes in all, and the rounding of
            // the shortest and the longest, bound what each took. Without an
            // early one every refresh beyond one each is a repeat; without a
            // held one every refresh short of that is an early frame.
            const LONGLONG kShortest = std::llround(item.dShortest / grid.dPeriod);
            const LONGLONG kLongest = std::llround(item.dLongest / grid.dPeriod);
            LONGLONG nHeld = 0, nEarly = 0;
            if (kShortest >= 1 && k > nCount)
                out.nRepeated += static_cast<DWORD>(k - nCount);
            if (kLongest <= 1 && k < nCount)
                nEarly = nCount - k;
            if (kLongest >= 2 && k > nCount)
                nHeld = std::max<LONGLONG>(1, (k - nCount + kLongest - 2) / (kLongest - 1));
            out.nEarly += static_cast<DWORD>(nEarly);
            out.nHeld += static_cast<DWORD>(nHeld);
            out.bAtLeast = out.bAtLeast || kLongest >= 2;
            mark = static_cast<BYTE>((kLongest >= 2 ? kPacingLong : 0) | (kShortest == 0 ? kPacingShort : 0));
            byRefreshes(0, static_cast<DWORD>(nEarly));
            byRefreshes(kLongest, static_cast<DWORD>(nHeld));
            byRefreshes(std::max<LONGLONG>(1, kShortest), static_cast<DWORD>(nCount - nHeld - nEarly));
            bCadence = false;
            nBefore = 0;
        }
        const bool bEven = nCount == 1
            || (std::llround(item.dShortest / grid.dPeriod) == std::llround(item.dLongest / grid.dPeriod)
                && k % nCount == 0);
        const LONGLONG kEach = bEven ? k / nCount : -2;
        if (nSteady == -1)
            nSteady = kEach;
        bSteady = bSteady && kEach == nSteady && kEach >= 1;
    }
    out.nSteady = bSteady && nSteady >= 1 ? static_cast<DWORD>(nSteady) : 0;
    out.bCadence23 = bCadence && out.nIntervals >= 4;
}

void CountAgainstTypical(const Items& items, double dTypical, double dTicksPerSecond, PacingSegment& out,
                         BYTE* pMarks)
{
    out.dTypicalMs = dTypical * 1000.0 / dTicksPerSecond;
    out.dTypicalHz = dTicksPerSecond / dTypical;
    for (const Item& item : items)
    {
        // A place of several counts once: the least that it can hold.
        const bool bLate = item.dLongest > kLateRatio * dTypical;
        const bool bEarly = item.dShortest < kEarlyRatio * dTypical;
        out.bAtLeast = out.bAtLeast || (item.nCount != 1 && (bLate || bEarly));
        out.nLate += bLate ? 1 : 0;
        out.nEarly += bEarly ? 1 : 0;
        pMarks[item.nEntry] = static_cast<BYTE>((bLate ? kPacingLong : 0) | (bEarly ? kPacingShort : 0));
    }
}

PacingSegment Judge(const Items& items, DWORD nGivenHz, bool bMixed, double dTicksPerSecond, double dQuantum,
                    BYTE* pMarks)
{
    PacingSegment out = {};
    out.nGivenHz = bMixed ? 0 : nGivenHz;
    out.bMixed = bMixed;
    for (const Item& item : items)
        out.nIntervals += item.nCount;
    // Too few frames to say anything against the given refresh.
    out.bGivenFits = out.nGivenHz != 0;
    if (dTicksPerSecond <= 0 || out.nIntervals < kMinIntervals)
        return out;
    const std::vector<std::pair<double, DWORD>> values = Sorted(items);
    const double dTypical = Typical(values);
    if (dTypical <= 0)
        return out;

    auto tied = [&](const Grid& grid, bool bGivenFits) {
        out.verdict = PacingVerdict::Tied;
        out.bGivenFits = bGivenFits;
        out.dRefreshHz = dTicksPerSecond / grid.dPeriod;
        out.dRefreshErrorHz = RefreshError(grid, out.dRefreshHz, dQuantum);
        out.nDecimals = Decimals(out.dRefreshErrorHz);
        out.dSpreadMs = grid.dSpread * 1000.0 / dTicksPerSecond;
        CountInRefreshes(items, grid, out, pMarks);
        return out;
    };
    auto own = [&](PacingVerdict verdict, bool bGivenFits) {
        out.verdict = verdict;
        out.bGivenFits = bGivenFits;
        CountAgainstTypical(items, OwnStep(items, dTypical), dTicksPerSecond, out, pMarks);
        return out;
    };

    const bool bBelievable = out.nGivenHz >= kLowestGivenHz;
    const double dGiven = bBelievable ? dTicksPerSecond / out.nGivenHz : 0;
    if (bBelievable)
    {
        // More frames than the display can show: whatever grid a few of
        // them happen to fit, they kept their own time.
        double dPaced = 0;
        DWORD nPaced = 0;
        for (const auto& value : values)
        {
            if (value.first <= kPauseRefreshes * dGiven)
            {
                dPaced += value.first * value.second;
                nPaced += value.second;
            }
        }
        const bool bFaster = Median(values, out.nIntervals) * kFasterRatio < dGiven && nPaced != 0
            && dPaced / nPaced * kFasterRatio < dGiven;
        if (bFaster)
            return own(PacingVerdict::NotTied, true);
        const Grid grid = FitGrid(items, dGiven);
        if (grid.dOnGrid >= kTiedShare && std::fabs(dTicksPerSecond / grid.dPeriod - out.nGivenHz) < kGivenToleranceHz)
            return tied(grid, true);
    }
    // A step the frames show by themselves that is the given refresh bears
    // it out, though the grid laid from the given figure missed four in five
    // by a frame or two: the seeds differ by the typical time's error.
    Grid step;
    if (EstimateStep(items, dTypical, dTicksPerSecond, out.nIntervals, step))
        return tied(step, bBelievable && std::fabs(dTicksPerSecond / step.dPeriod - out.nGivenHz) < kGivenToleranceHz);
    if (!bBelievable)
        return own(PacingVerdict::RefreshUnknown, false);

    // The given refresh holds, and the frames came off its grid: they kept
    // their own time, unless they are so much slower that nothing can be
    // said of them against it.
    if (dTypical < kFarSlowerRefreshes * dGiven)
        return own(PacingVerdict::NotTied, true);
    return own(PacingVerdict::RefreshUnknown, false);
}
}

PacingSummary JudgePacing(const CPacingRecord& record, std::vector<BYTE>* pMarks)
{
    PacingSummary summary = {};
    summary.nFrames = record.Frames();
    summary.nIntervals = record.Intervals();
    summary.nSegments = record.Segments();
    const double dTicksPerSecond = static_cast<double>(record.TicksPerSecond());
    const double dScale = static_cast<double>(1ull << record.Scale());

    std::vector<Items> segments(record.Segments());
    bool bChainStart = true;
    unsigned nSegment = 0;
    for (DWORD i = 0; i < record.EntryCount(); ++i)
    {
        const CPacingRecord::Entry& entry = record.EntryAt(i);
        switch (entry.Kind())
        {
        case CPacingRecord::EntryKind::Intervals:
            segments[nSegment].push_back(Item{entry.nSum * dScale, entry.nShortest * dScale, entry.nLongest * dScale,
                                              entry.nCount, bChainStart, i});
            bChainStart = false;
            break;
        case CPacingRecord::EntryKind::Lost:
            bChainStart = true;
            break;
        case CPacingRecord::EntryKind::Segment:
            nSegment = entry.nSum < segments.size() ? entry.nSum : nSegment;
            bChainStart = true;
            break;
        }
    }
    std::vector<BYTE> marks(record.EntryCount() + 1);
    for (unsigned i = 0; i < record.Segments(); ++i)
    {
        const bool bMixed = i + 1 == record.Segments() && record.LastSegmentMixed();
        summary.aSegments[i] = Judge(segments[i], record.SegmentHz(i), bMixed, dTicksPerSecond, dScale, marks.data());
    }
    marks.pop_back();
    if (pMarks != nullptr)
        *pMarks = std::move(marks);
    if (dTicksPerSecond <= 0)
        return summary;
    summary.dLostSeconds = static_cast<double>(record.LostTicks()) / dTicksPerSecond;
    summary.dLongestMs = static_cast<double>(record.LongestTicks()) * 1000.0 / dTicksPerSecond;
    return summary;
}
