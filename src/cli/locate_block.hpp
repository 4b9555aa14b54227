#pragma once

// The text vantrel-cli prints for one many-bearing fix, TAB-separated, numbers in the shortest form that
// reads back ('.' as decimal point):
//   fix  E  N  kappa-hat  sx  sy  rho  semi-major  semi-minor  azimuth  area     ("-" for what is unknown)
//   B<i>  weight  residual  flags                                                 (one per bearing, from 1)
// flags: "behind", "rejected", both comma-separated, or "-". Without a fix the one line
//   fix  no Match  parallel|behind|diverged
// Shared by `locate` on text input and on a bearing log (one such block per fox).

#include <string>
#include <vector>

#include "locate/locate.hpp"

namespace vantrel::cli {

std::vector<std::string> LocateBlockLines(const locate::Outcome& outcome);

}  // namespace vantrel::cli
