// Whether this Windows program runs under Wine, which differs from Windows where noted at each
// use. Windows builds only.
#pragma once

namespace lightset {

bool RunningUnderWine();

}  // namespace lightset
