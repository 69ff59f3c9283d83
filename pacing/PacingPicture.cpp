#include "pacing/PacingPicture.h"

#include <algorithm>

namespace
{
// The period of a segment in ticks, where it has a refresh: the one the
// frames were counted against, or the one they kept their own time beside.
double PeriodOf(const PacingSegment& segment, double dTicksPerSecond)
{
    if (segment.verdict == PacingVerdict::Tied && segment.dRefreshHz > 0)
        return dTicksPerSecond / segment.dRefreshHz;
    if (segment.verdict == PacingVerdict::NotTied && segment.nGivenHz != 0)
        return dTicksPerSecond / segment.nGivenHz;
    return 0;
}
}

PacingPicture PictureOf(const CPacingRecord& record, const PacingSummary& summary, const std::vector<BYTE>& marks,
                        int nColumns)
{
    PacingPicture picture = {};
    const double dTicksPerSecond = static_cast<double>(record.TicksPerSecond());
    const double dScale = static_cast<double>(1ull << record.Scale());
    bool bAnyFigure = false;
    double dFirstTypicalMs = 0, dFirstPeriod = 0;
    picture.bInRefreshes = true;
    picture.bCounted = true;
    for (unsigned i = 0; i < summary.nSegments; ++i)
    {
        const PacingSegment& segment = summary.aSegments[i];
        if (segment.verdict == PacingVerdict::TooFewFrames)
            continue;
        if (!bAnyFigure)
        {
            dFirstTypicalMs = segment.dTypicalMs;
            dFirstPeriod = PeriodOf(segment, dTicksPerSecond);
        }
        bAnyFigure = true;
        picture.bInRefreshes = picture.bInRefreshes && PeriodOf(segment, dTicksPerSecond) > 0;
        // Frames that kept their own time stayed no whole number of
        // refreshes: a count of them by refreshes would read as none.
        picture.bCounted = picture.bCounted && segment.verdict == PacingVerdict::Tied;
        for (int k = 0; k < 5 && segment.verdict == PacingVerdict::Tied; ++k)
            picture.anByRefreshes[k] += segment.anByRefreshes[k];
    }
    picture.bInRefreshes = picture.bInRefreshes && bAnyFigure;
    picture.bCounted = picture.bCounted && picture.bInRefreshes;
    picture.dLineMs = picture.bInRefreshes ? dFirstPeriod * 1000 / dTicksPerSecond : dFirstTypicalMs;

    double dTotal = 0;
    for (DWORD i = 0; i < record.EntryCount(); ++i)
    {
        if (record.EntryAt(i).Kind() != CPacingRecord::EntryKind::Segment)
            dTotal += record.EntryAt(i).nSum * dScale;
    }
    if (!bAnyFigure || nColumns <= 0 || dTotal <= 0 || dTicksPerSecond <= 0)
        return picture;
    picture.columns.resize(static_cast<size_t>(nColumns));
    auto column = [&](double dAt) {
        return std::min(nColumns - 1, std::max(0, static_cast<int>(dAt / dTotal * nColumns)));
    };

    double dAt = 0;
    double dUnit = picture.bInRefreshes ? PeriodOf(summary.aSegments[0], dTicksPerSecond)
                                        : picture.dLineMs * dTicksPerSecond / 1000;
    for (DWORD i = 0; i < record.EntryCount(); ++i)
    {
        const CPacingRecord::Entry& entry = record.EntryAt(i);
        const double dFrom = dAt;
        switch (entry.Kind())
        {
        case CPacingRecord::EntryKind::Segment:
            if (picture.bInRefreshes && entry.nSum < summary.nSegments)
                dUnit = PeriodOf(summary.aSegments[entry.nSum], dTicksPerSecond);
            continue;
        case CPacingRecord::EntryKind::Lost:
            dAt += entry.nSum * dScale;
            for (int c = column(dFrom); c <= column(dAt); ++c)
                picture.columns[static_cast<size_t>(c)].bLost = true;
            continue;
        case CPacingRecord::EntryKind::Intervals:
            break;
        }
        dAt += entry.nSum * dScale;
        const float fLow = dUnit > 0 ? static_cast<float>(entry.nShortest * dScale / dUnit) : 0;
        const float fHigh = dUnit > 0 ? static_cast<float>(entry.nLongest * dScale / dUnit) : 0;
        // One interval ends in one column; several spread over the columns
        // of their time.
        for (int c = entry.nCount == 1 ? column(dAt) : column(dFrom); c <= column(dAt); ++c)
        {
            PacingColumn& col = picture.columns[static_cast<size_t>(c)];
            col.fLow = col.bFrames ? std::min(col.fLow, fLow) : fLow;
            col.fHigh = col.bFrames ? std::max(col.fHigh, fHigh) : fHigh;
            col.bFrames = true;
            col.nMarks = static_cast<BYTE>(col.nMarks | (i < marks.size() ? marks[i] : 0));
        }
    }
    return picture;
}
