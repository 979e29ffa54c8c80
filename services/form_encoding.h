// The form encoding of usage event values (application/x-www-form-urlencoded).
#pragma once

#include <string>
#include <string_view>

namespace services {

// Letters, digits and "-._~" stay as they are, a blank becomes "+", and every
// other byte becomes "%" with two upper-case hexadecimal digits.
std::string FormEncode(std::string_view value);

}  // namespace services
