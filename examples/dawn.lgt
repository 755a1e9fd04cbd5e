\\Custom Light File Made With Kestrune Light Editor By Tolvane.

LightingSet "Dawn"

suncolor 255 170 120

sunspecular 255 200 160

ambientcolor 60 60 80

terrainambientcolor 70 60 70

suninclination 12

 sunrotation 90
