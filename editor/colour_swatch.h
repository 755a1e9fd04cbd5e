// The colour swatch control: a sunken box filled with its colour, under an eyedropper pointer,
// that tells its parent when it is clicked and when its colour changes. Its window text is its
// colour as "R G B", so the exact value can be read by a screen reader and shown in a tooltip.
#pragma once

#include <windows.h>

#include "lightset/light_setting.h"

namespace editor {

inline constexpr wchar_t kColourSwatchClass[] = L"KestruneColourSwatch";
// The notification (WM_COMMAND's high word) a swatch sends when its colour changes; a click comes
// as STN_CLICKED.
inline constexpr WORD kSwatchChanged = 0x0100;

// What a swatch's description tells a screen reader, and what it adds when a paste is refused.
inline constexpr wchar_t kSwatchHint[] = L"Press Space to choose a colour";
inline constexpr wchar_t kPasteRefused[] =
    L"The clipboard holds no colour to paste: copy one as R G B or #RRGGBB. ";

// Registers the window class once per process. Swatches start white.
void RegisterColourSwatchClass(HINSTANCE instance);

lightset::ColourRef GetSwatchColour(HWND swatch);
// Sets the colour; tells the parent, and a screen reader, when it changes.
void SetSwatchColour(HWND swatch, lightset::ColourRef colour);

}  // namespace editor
