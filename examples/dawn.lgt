\\Custom Light File Made With Kestrune Light Editor By Tolvane.

LightingSet "Dawn"

suncolor 235 150 100

sunspecular 255 200 160

ambientcolor 50 50 65

terrainambientcolor 45 40 50

suninclination 12

 sunrotation 90
