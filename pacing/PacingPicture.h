// What a picture of the run shows: every interval between frames shown,
// across the run's time, one column a pixel; where more intervals share a
// column, the shortest and the longest of them. Heights are in refreshes
// where every part of the run has a refresh, in the frames' typical interval
// otherwise. Read off the record and its judgement; drawing it is the
// dialog's part.
#ifndef QUILLABY_PACING_PACINGPICTURE_H
#define QUILLABY_PACING_PACINGPICTURE_H

#include <windows.h>

#include <vector>

#include "pacing/PacingRecord.h"
#include "pacing/PacingSummary.h"

struct PacingColumn
{
    float fLow;  // the shortest interval that ends here, in the picture's unit
    float fHigh; // the longest
    BYTE nMarks; // PacingMark: a frame held or late, early
    bool bFrames; // an interval ends here
    bool bLost;   // the display showed nothing for part of it
};

struct PacingPicture
{
    bool bInRefreshes; // the unit: refreshes, or else the frames' typical interval
    double dLineMs;    // the unit, in milliseconds
    // Whether the frames were counted by the refreshes they stayed: only
    // where the run was tied to the refresh.
    bool bCounted;
    // Frames that stayed 0 (early), 1, 2, 3, and 4 or more refreshes, where
    // counted.
    DWORD anByRefreshes[5];
    std::vector<PacingColumn> columns;
};

// The picture nColumns wide of a record, its summary and the marks that its
// judgement gave each place.
PacingPicture PictureOf(const CPacingRecord& record, const PacingSummary& summary, const std::vector<BYTE>& marks,
                        int nColumns);

#endif
