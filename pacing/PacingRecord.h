// The pacing of one run as the frame loop saw it: the interval between each
// two frames shown one after the other, in order, with the stretches in which
// the display showed nothing and the changes of display refresh between them.
// The buffer is made once, with the record; recording a frame allocates
// nothing and does integer work only. What the intervals mean is worked out
// after the run, by the judgement, from what the record gives back here.
#ifndef QUILLABY_PACING_PACINGRECORD_H
#define QUILLABY_PACING_PACINGRECORD_H

#include <windows.h>

#include <memory>

// A run whose refresh changes more often keeps its later frames together in
// the last segment, marked as mixed.
const unsigned kMaxPacingSegments = 4;

class CPacingRecord
{
public:
    // One place of the record: some intervals, or a mark between them.
    enum class EntryKind
    {
        Intervals, // nCount intervals in a row, nSum ticks in all
        Lost,      // the chain of frames breaks: the display showed nothing for nSum ticks
        Segment,   // the frames from here on are shown at segment nSum's refresh
    };
    struct Entry
    {
        DWORD nSum;      // scaled ticks (see Scale): the intervals' total, or the time lost
        DWORD nShortest; // the shortest and the longest of the intervals
        DWORD nLongest;
        DWORD nCount;    // intervals; 0 for a mark
        EntryKind Kind() const { return nCount != 0 ? EntryKind::Intervals : static_cast<EntryKind>(nShortest); }
    };

    // Every interval has a place of its own up to this many; a longer run keeps
    // its whole time at a coarser grain, two places becoming one. 2^18 is ten
    // minutes at 240 Hz and more than an hour at 60.
    static const DWORD kCapacity = 1u << 18;

    CPacingRecord();
    CPacingRecord(CPacingRecord&&) = default;
    CPacingRecord& operator=(CPacingRecord&&) = default;

    // A new record. nTicksPerSecond is the performance counter's frequency;
    // nDisplayHz the refresh DirectDraw gave, where 0, 1 and anything above
    // 1000 mean it doesn't know.
    void Begin(LONGLONG nTicksPerSecond, DWORD nDisplayHz);
    // The refresh DirectDraw gives after a new display mode: the frames from
    // here on are judged against it, apart from those before.
    void SetDisplayHz(DWORD nDisplayHz);
    // A frame whose flip reached the screen, at that counter reading.
    void AddFrame(LONGLONG nTicks);
    // From one counter reading to the other the display showed nothing of the
    // run (it was lost, or refused the flips): the time counts as lost, and the
    // interval across it as no frame interval.
    void AddLostTime(LONGLONG nFrom, LONGLONG nTo);

    // Where the record stood, so that what came after can be taken back: the
    // frames drawn for a mode that had already gone showed nothing.
    struct Mark
    {
        // All that the record counts besides its places.
        struct Tally
        {
            DWORD nEntries;
            DWORD nGrain;
            DWORD nCoarsenings; // how often the grain has doubled; a mark from before can't be gone back to
            DWORD nFrames;
            DWORD nIntervals;
            DWORD nSegmentIntervals; // of the segment being recorded
            unsigned nSegments;      // at least 1; the last is the one being recorded
            bool bMixed;
            bool bChained; // nLast is the frame before the next one
            LONGLONG nLast;
            ULONGLONG nCarry;   // the ticks below the scale that the last interval left over
            ULONGLONG nLongest; // counter ticks
            ULONGLONG nLostTicks;
        } tally;
        Entry last; // the last place then: frames after the mark may have merged into it
    };
    Mark GetMark() const;
    // Back to the mark. Once the record has gone to a coarser grain since,
    // the frames after it stay: they are a moment of a run of many minutes.
    void Rewind(const Mark& mark);

    // What the judgement and the pictures read.
    LONGLONG TicksPerSecond() const { return m_nTicksPerSecond; }
    // Scaled ticks: counter ticks >> Scale(), about a microsecond at most.
    unsigned Scale() const { return m_nShift; }
    DWORD Frames() const { return m_t.nFrames; }
    DWORD Intervals() const { return m_t.nIntervals; }
    // Intervals each place holds at the most: 1 until the run outgrew the buffer.
    DWORD Grain() const { return m_t.nGrain; }
    ULONGLONG LongestTicks() const { return m_t.nLongest; }
    ULONGLONG LostTicks() const { return m_t.nLostTicks; }
    unsigned Segments() const { return m_t.nSegments; }
    DWORD SegmentHz(unsigned nSegment) const { return m_anSegmentHz[nSegment]; }
    // Whether the last segment holds several refreshes.
    bool LastSegmentMixed() const { return m_t.bMixed; }
    DWORD EntryCount() const { return m_t.nEntries; }
    const Entry& EntryAt(DWORD i) const { return m_pEntries[i]; }

private:
    void Append(const Entry& entry);
    void Coarsen();

    std::unique_ptr<Entry[]> m_pEntries;
    LONGLONG m_nTicksPerSecond;
    unsigned m_nShift;
    Mark::Tally m_t;
    DWORD m_anSegmentHz[kMaxPacingSegments];
};

#endif
