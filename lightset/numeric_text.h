// The test that the inclination and rotation must pass before a lighting set is saved.
#pragma once

#include <string_view>

namespace lightset {

// Returns true when text is a number: blanks (spaces) allowed before and after, then an
// optional sign, decimal digits with at most one decimal point (at least one digit in all),
// and an optional exponent (E or e, optional sign, at least one digit). Empty text is not a
// number. No range is tested: "720", "-5" and "4.5E1" all pass. Tabs, thousands separators,
// currency signs and hexadecimal prefixes do not.
bool IsNumeric(std::string_view text);

}  // namespace lightset
