// The pacing of one run: when each frame shown reached the screen, kept as a
// histogram of the intervals between such frames, and how long the display
// showed nothing. A plain value of fixed size: a copy is a snapshot that can be
// put back. Recording a frame allocates nothing and does integer work only;
// the figures are worked out once, after the run.
#ifndef QUILLABY_RENDER_FRAMEPACING_H
#define QUILLABY_RENDER_FRAMEPACING_H

#include <windows.h>

// What a run's record says, for the dialog's pacing line.
struct FramePacingSummary
{
    DWORD nFrames;       // frames shown
    DWORD nIntervals;    // intervals between frames shown one after the other
    bool bFigure;        // enough intervals for the figures below
    double dTypicalMs;   // the typical frame time
    double dTypicalHz;   // the rate it means
    DWORD nDisplayHz;    // the display's refresh; 0 when unknown
    bool bNotTied;       // frames came well faster than the display refreshes
    DWORD nLate;         // intervals longer than 1.5 times the expected period
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
    // A frame whose flip reached the screen, at that counter reading.
    void AddFrame(LONGLONG nTicks);
    // From one counter reading to the other the display showed nothing of the
    // run (it was lost, or refused the flips): the time counts as lost, and the
    // interval across it as no frame interval.
    void AddLostTime(LONGLONG nFrom, LONGLONG nTo);

    FramePacingSummary Summarize() const;

    // Intervals are sorted into buckets a sixteenth of an octave wide (about
    // 4 %), on a scale of half a microsecond to a microsecond; each bucket
    // keeps its intervals' exact sum, so that means need no rounding.
    static const unsigned kSubBuckets = 16;
    static const unsigned kTopBit = 24; // intervals of 16 s and more may share the last bucket
    static const unsigned kBuckets = kSubBuckets + (kTopBit - 3) * kSubBuckets;
    // A figure needs at least this many intervals.
    static const DWORD kMinIntervals = 2;

private:
    struct Share
    {
        DWORD nCount;
        ULONGLONG nSum;
    };

    unsigned BucketOf(ULONGLONG nInterval) const;
    ULONGLONG BucketLow(unsigned nBucket) const;
    ULONGLONG BucketHigh(unsigned nBucket) const;
    // The intervals of at most nLimit ticks; a bucket that straddles the limit
    // goes by its mean.
    Share UpTo(double dLimit) const;
    double MedianTicks() const;

    LONGLONG m_nTicksPerSecond;
    unsigned m_nShift; // ticks >> m_nShift: the histogram's scale
    DWORD m_nDisplayHz;
    DWORD m_nFrames;
    DWORD m_nIntervals;
    bool m_bChained; // m_nLast is the frame before the next one
    LONGLONG m_nLast;
    ULONGLONG m_nLongest;
    ULONGLONG m_nLostTicks;
    DWORD m_anCount[kBuckets];
    ULONGLONG m_anSum[kBuckets];
};

#endif
