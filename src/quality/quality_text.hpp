#pragma once

// The quality of a fix in the user's words, for the Results boxes' tooltips, the status bar and the
// descriptions in exported files. Distances are rounded to whole metres (whole kilometres from 10 km on),
// angles to whole degrees.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "quality/fix_quality.hpp"

namespace vantrel::quality {

// One line per flag, most serious first (the flags' order), then the summary:
//   "Behind Scedule 1: the bearings meet opposite to the measured direction - check F2's bearing"
//   "95 % within 151 m (circle); crossing 90 degrees; 707 m from Scedule 1, 707 m from Scedule 2"
// `fox` is the fox index 0..4; `confidence` the settings' probability, written as a percentage with the
// given decimal separator ("68,3 %").
std::vector<std::string> QualityInWords(const FixQuality& fix, int fox, double confidence,
                                        char decimalSeparator);

// The flags of one fix in a few words: "behind Scedule 1, bearings cross at 12 degrees"; empty without a
// flag.
std::string FlagNote(const FixQuality& fix);

// The flagged fixes after Calculate: "F2: behind Scedule 1; F4: bearings cross at 12 degrees"; empty when
// no fix is flagged.
std::string FlaggedFixesNote(const std::array<std::optional<FixQuality>, core::kFoxCount>& fixes);

}  // namespace vantrel::quality
