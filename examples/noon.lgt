\\Custom Light File Made With Kestrune Light Editor By Tolvane.

LightingSet "Noon"

suncolor 225 220 205

sunspecular 255 255 255

ambientcolor 70 75 90

terrainambientcolor 45 48 55

suninclination 75

 sunrotation 180
