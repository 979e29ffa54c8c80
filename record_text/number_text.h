// Computed numbers of the records: fixed-point with six decimals, the form of
// the "%f" directive in the classic "C" locale, whatever locale the process has
// set (a full stop as decimal separator, no grouping, no exponent).
#pragma once

#include <string>

namespace record_text {

// 0.25 gives "0.250000", 10.0 gives "10.000000", -1.5 gives "-1.500000".
std::wstring NumberText(double value);

}  // namespace record_text
