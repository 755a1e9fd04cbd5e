\\Custom Light File Made With Kestrune Light Editor By Tolvane.

LightingSet "Moonlit Night"

suncolor 70 80 120

sunspecular 120 130 170

ambientcolor 15 15 30

terrainambientcolor 20 20 35

suninclination 35

 sunrotation 300
