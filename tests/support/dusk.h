// The example lighting set "Dusk" and the exact file the writer makes of it.
#pragma once

#include "lightset/light_setting.h"

namespace testing_support {

inline const lightset::LightSetting kDusk = {.Name = "Dusk",
                                             .SunColour = "255 200 150",
                                             .AmbientColour = "40 40 60",
                                             .TerrainAmbientColour = "60 60 80",
                                             .SunInclination = "50",
                                             .SunRotation = "180"};

inline constexpr const char* kDuskFile =
    "\\\\Custom Light File Made With Kestrune Light Editor By Tolvane.\r\n\r\n"
    "LightingSet \"Dusk\"\r\n\r\nsuncolor 255 200 150\r\n\r\nsunspecular 255 255 255\r\n\r\n"
    "ambientcolor 40 40 60\r\n\r\nterrainambientcolor 60 60 80\r\n\r\n"
    "suninclination 50\r\n\r\n sunrotation 180\r\n";

}  // namespace testing_support
