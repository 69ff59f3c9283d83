// The pacing line that the dialog shows under the rate line after a run, in
// words read off the judged summary.
#ifndef QUILLABY_PACING_PACINGWORDS_H
#define QUILLABY_PACING_PACINGWORDS_H

#include <functional>
#include <string>
#include <vector>

#include "pacing/PacingSummary.h"

// The line as clauses, formatted the C way: "Frame pacing: display 59.94 Hz",
// ", 3 of 599 frames held for 2+ refreshes (4 refreshes repeated)",
// ", longest 50.1 ms". Each clause after the first begins with its separator,
// ", " or "; ", or with " (" for one in brackets.
std::vector<std::string> PacingClauses(const PacingSummary& pacing);

// The clauses on one line.
std::string FormatPacingLine(const PacingSummary& pacing);

// The clauses on as few lines as fit, broken only between two clauses, after
// the separator's comma or semicolon: a static control left to wrap the line
// itself splits a count from its word. fits tells whether a line fits.
std::string BreakBetweenClauses(const std::vector<std::string>& clauses,
                                const std::function<bool(const std::string&)>& fits);

#endif
