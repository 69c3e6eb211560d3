// The members' slips of a payment period as a PDF for printing, through libharu: several slips to
// an A4 page, a dashed cut line between them. The build has them only where libharu is found
// (KOLVEX_SLIPS).
#pragma once

#include <string>
#include <vector>

#include "export/period_summary.h"

namespace exporter {

inline constexpr bool kSlipsBuilt = KOLVEX_SLIPS != 0;

// The title each slip opens with, beside the period.
inline constexpr char kSlipTitle[] = "Milk payment slip";

// Writes `slips` to `path`, one after another, each with kSlipTitle and `period`, its member
// code, a line per collection (BS date, shift, litres, fat, snf, rate, amount), then the
// member's totals (litres, fat and snf weighted by litres, amount) and its commission, with its
// stored amount when that differs. A slip taller than what is left of a page starts on the
// next; one taller than a page goes on over the next pages under its title and member code,
// marked "(continued)". The texts are ASCII in the standard Helvetica fonts. Throws
// RunTimeError 75 naming `destination` (where the file is bound for, when `path` is a file made
// for it), or else `path`, when the file cannot be written; 7 when libharu has no memory.
void WriteSlipsPdf(const std::vector<Slip>& slips, const std::string& period,
                   const std::string& path, const std::string& destination = {});

}  // namespace exporter
