\\Custom Light File Made With Kestrune Light Editor By Tolvane.

LightingSet "Dusk"

suncolor 255 200 150

sunspecular 255 255 255

ambientcolor 40 40 60

terrainambientcolor 60 60 80

suninclination 50

 sunrotation 180
