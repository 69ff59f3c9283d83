// The pacing of one run: when each frame shown reached the screen, kept as a
// histogram of the intervals between such frames, and how long the display
// showed nothing. A plain value of fixed size: a copy is a snapshot that can be
// put back. Recording a frame allocates nothing and does integer work only;
// the figures are worked out once, after the run.
#ifndef QUILLABY_RENDER_FRAMEPACING_H
#define QUILLABY_RENDER_FRAMEPACING_H

#include <windows.h>

// Where the refresh that a segment was counted against comes from.
enum class PacingRefresh
{
    None,      // not counted in refreshes: judged against the typical interval
    Given,     // DirectDraw's whole hertz
    Measured,  // the exact mean of the intervals of one refresh, near the given one
    Estimated, // DirectDraw gave none; the intervals show a clear step
};

// A run whose refresh changes more often keeps its later segments together
// in the last one, judged as if the refresh were unknown.
const unsigned kMaxPacingSegments = 4;

// What the record says of one segment of a run: the frames shown while one
// display refresh was in force.
struct PacingSegment
{
    DWORD nDisplayHz; // the refresh DirectDraw gave; 0 when unknown
    DWORD nIntervals; // intervals between frames shown one after the other
    bool bFigure;     // enough intervals for a verdict
    bool bNotTied;    // frames came faster than the display can show them
    PacingRefresh refresh;
    double dRefreshHz; // the refresh counted against, unless refresh is None
    // Counted in refreshes: each interval is k whole refreshes.
    DWORD nHeld;     // intervals of two refreshes or more
    DWORD nRepeated; // refreshes that showed a frame again: the sum of k - 1
    DWORD nSteady;   // k when every interval was k refreshes, else 0
    // Otherwise judged against the typical interval, the mean of the most
    // common group of intervals.
    double dTypicalMs;
    double dTypicalHz;
    DWORD nLate; // intervals longer than 1.5 typical ones
    // Either way: intervals shorter than half a refresh (half a typical
    // one); where a display refreshes, no frame can have shown for so short.
    DWORD nEarly;
};

// What a run's record says, for the dialog's pacing line.
struct FramePacingSummary
{
    DWORD nFrames;    // frames shown
    DWORD nIntervals; // intervals between frames shown one after the other
    unsigned nSegments;
    PacingSegment aSegments[kMaxPacingSegments];
    double dLongestMs;   // the longest interval
    double dLostSeconds; // time the display showed nothing of the run
};

class CFramePacing
{
public:
    CFramePacing();

    // A new record. nTicksPerSecond is the performance counter's frequency;
    // nDisplayHz the refresh DirectDraw gave, where 0, 1 and anything above
    // 1000 mean it doesn't know.
    void Begin(LONGLONG nTicksPerSecond, DWORD nDisplayHz);
    // The refresh DirectDraw gives after a new display mode: the intervals from
    // here on are judged against it, apart from those before.
    void SetDisplayHz(DWORD nDisplayHz);
    // A frame whose flip reached the screen, at that counter reading.
    void AddFrame(LONGLONG nTicks);
    // From one counter reading to the other the display showed nothing of the
    // run (it was lost, or refused the flips): the time counts as lost, and the
    // interval across it as no frame interval.
    void AddLostTime(LONGLONG nFrom, LONGLONG nTo);

    // Intervals are sorted into buckets a sixteenth of an octave wide (about
    // 4 %), on a scale of half a microsecond to a microsecond; each bucket
    // keeps its intervals' exact sum, so that means need no rounding.
    static const unsigned kSubBuckets = 16;
    static const unsigned kTopBit = 24; // intervals of 16 s and more may share the last bucket
    static const unsigned kBuckets = kSubBuckets + (kTopBit - 3) * kSubBuckets;
    // A figure needs at least this many intervals.
    static const DWORD kMinIntervals = 2;

    FramePacingSummary Summarize() const;

private:
    struct Segment
    {
        DWORD nDisplayHz;
        bool bMixed; // several refreshes shared it
        DWORD nIntervals;
        DWORD anCount[kBuckets];
        ULONGLONG anSum[kBuckets];
    };

    struct Share
    {
        DWORD nCount;
        ULONGLONG nSum;
    };

    unsigned BucketOf(ULONGLONG nInterval) const;
    ULONGLONG BucketLow(unsigned nBucket) const;
    ULONGLONG BucketHigh(unsigned nBucket) const;
    // The intervals from dLow to dHigh ticks; a bucket that straddles a limit
    // goes by its mean.
    Share Between(const Segment& s, double dLow, double dHigh) const;
    double MedianTicks(const Segment& s) const;
    Share MostCommonGroup(const Segment& s) const;
    struct StepFit
    {
        DWORD nFit;       // intervals that are whole steps, up to a few
        unsigned nGroups; // multiples that hold a tenth of the intervals each
        double dStep;     // the step those intervals show, in ticks
    };

    StepFit FitSteps(const Segment& s, double dStep) const;
    // The step that the intervals are whole multiples of, in ticks, or 0 when
    // they show none clearly.
    double EstimateStep(const Segment& s, double dTypical) const;
    PacingSegment Judge(const Segment& s) const;
    void CountInRefreshes(const Segment& s, double dPeriod, PacingSegment& out) const;

    LONGLONG m_nTicksPerSecond;
    unsigned m_nShift; // ticks >> m_nShift: the histogram's scale
    DWORD m_nFrames;
    DWORD m_nIntervals;
    bool m_bChained; // m_nLast is the frame before the next one
    LONGLONG m_nLast;
    ULONGLONG m_nLongest;
    ULONGLONG m_nLostTicks;
    unsigned m_nSegments; // at least 1; the last is the one being recorded
    Segment m_aSegments[kMaxPacingSegments];
};

#endif
