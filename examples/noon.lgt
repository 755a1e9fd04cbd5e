\\Custom Light File Made With Kestrune Light Editor By Tolvane.

LightingSet "Noon"

suncolor 255 250 235

sunspecular 255 255 255

ambientcolor 90 95 110

terrainambientcolor 80 85 90

suninclination 75

 sunrotation 180
