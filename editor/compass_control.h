// The compass control: the sun's place seen from above, north up, that the user moves with the
// pointer (dragging the marker or clicking the ring) or the keys (arrows: 1 degree, with Shift
// 15; Up and Down the height, Left and Right the bearing; Home overhead, End on the horizon). It
// holds no value of its own for long: it tells its parent where the user put the sun, and the
// parent sets it back from the values it keeps. Its window text is its value in words.
#pragma once

#include <windows.h>

#include "preview/sun.h"

namespace editor {

inline constexpr wchar_t kCompassClass[] = L"KestruneCompass";
// The notification (WM_COMMAND's high word) a compass sends when the user moves the sun.
inline constexpr WORD kCompassMoved = 0x0100;

void RegisterCompassClass(HINSTANCE instance);

// Shows sun, its marker in colour; raises a value change for a screen reader when its words
// change.
void SetCompassSun(HWND compass, const preview::Sun& sun, COLORREF colour);

// Where the user put the sun, in whole degrees: height 0 to 90, bearing 0 to 359.
struct CompassPlace {
  int height, bearing;
};
CompassPlace GetCompassPlace(HWND compass);

}  // namespace editor
