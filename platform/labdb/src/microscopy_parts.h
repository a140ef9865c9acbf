#pragma once
// The twenty urinalysis reference ranges (male and female for ten counts) kept as rows of the
// reference-interval master, under every exam that opens the urinalysis screen.

#include "labdb/driver.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace labdb {

// What a range text as a laboratory writes it says of its limits: "0-2" both, "< 5" the high one,
// "None to few" neither. The limits keep the digits as written.
struct RangeLimits {
    std::optional<std::string> low, high;
};
RangeLimits rangeLimitsOf(std::string_view text);

// Text k (0-based) is count k / 2, male for even k, female for odd, in the dialog's order. An
// empty text removes the count's interval. Throws when no exam opens the urinalysis screen.
void writeUrinalysisRanges(Driver &db, const std::vector<std::string> &texts);
// The twenty texts as written; nothing when the master has none of them.
std::optional<std::vector<std::string>> readUrinalysisRanges(Driver &db);
// An upgraded database's own record of the twenty texts moves into the master.
void moveUrinalysisRanges(Driver &db);

} // namespace labdb
