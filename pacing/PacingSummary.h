// What a run's pacing record says, once judged: a verdict for each stretch of
// one display refresh, with its counts beside it. The words, the picture and
// the report read these values; none of them judges again.
#ifndef QUILLABY_PACING_PACINGSUMMARY_H
#define QUILLABY_PACING_PACINGSUMMARY_H

#include <windows.h>

#include "pacing/PacingRecord.h"

enum class PacingVerdict
{
    // Fewer intervals than any figure needs.
    TooFewFrames,
    // The frames sit on a refresh grid, within the scatter that real flips
    // show: the refresh DirectDraw gave, confirmed and measured by them, or
    // one they show by themselves. Each interval is counted in refreshes.
    Tied,
    // The display's refresh is known, and the frames kept their own time
    // against it, faster or slower: not tied to its refresh.
    NotTied,
    // No refresh to count against: none given, or one the frames don't fit,
    // and the frames show none of their own. They are judged against their
    // own typical interval.
    RefreshUnknown,
};

// One stretch of the run at one display refresh.
struct PacingSegment
{
    PacingVerdict verdict;
    DWORD nGivenHz;  // the refresh DirectDraw gave; 0 when it gave none
    bool bGivenFits; // the frames agree with it; false when none was given
    bool bMixed;     // several refreshes shared the stretch: none was given for it
    DWORD nIntervals;

    // Tied: the refresh the frames were counted against, as measured from
    // them, three times its error, and how many decimals that supports (0 to
    // 2); the frames' scatter about its grid.
    double dRefreshHz;
    double dRefreshErrorHz;
    int nDecimals;
    double dSpreadMs;
    DWORD nHeld;     // frames that stayed two refreshes or more
    DWORD nRepeated; // refreshes that showed a frame again: the sum of k - 1
    DWORD nSteady;   // k when every frame stayed k refreshes, else 0
    bool bCadence23; // every frame 2 and 3 refreshes in turn
    // Frames that stayed 0 (early), 1, 2, 3, and 4 or more refreshes.
    DWORD anByRefreshes[5];
    // The counts come partly from places holding several intervals (a run
    // longer than the record's buffer): they are the least the intervals allow.
    bool bAtLeast;

    // NotTied and RefreshUnknown: the mean of the most common group of
    // intervals, and the intervals longer than 1.5 of it.
    double dTypicalMs;
    double dTypicalHz;
    DWORD nLate;
    // Either way: frames that came less than half a refresh (half a typical
    // interval) after the one before.
    DWORD nEarly;
};

// What the judgement says of each place of the record, for a picture of the
// run: its intervals held (Tied) or late (against the typical interval), or
// early; a place of several intervals may be both.
enum PacingMark : BYTE
{
    kPacingLong = 1,
    kPacingShort = 2,
};

struct PacingSummary
{
    DWORD nFrames;    // frames shown
    DWORD nIntervals; // intervals between frames shown one after the other
    unsigned nSegments;
    PacingSegment aSegments[kMaxPacingSegments];
    double dLongestMs;   // the longest interval
    double dLostSeconds; // time the display showed nothing of the run
};

#endif
