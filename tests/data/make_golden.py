#!/usr/bin/env python3
# Writes the golden text map of an empty stage 0 from the format's definition,
# independently of the editor's code.
import sys
lines = ["[Stage00]", "Caption=Undefined Stage", "BG_Bitmap=", "BG_Color=$102028",
         "BG_H_Tile=1", "BG_V_Tile=1", "EnemyCount=" + ",".join(["0"] * 16), "MaxCount=5", "SI_Bitmap="]
for y in range(30):
    for key in ("BG", "FG"):
        lines.append("%s%02d=" % (key, y) + "00 " * 40)
lines.append("[End]")
with open(sys.argv[1] if len(sys.argv) > 1 else "EmptyStage00.txt", "wb") as out:
    out.write(("\r\n".join(lines) + "\r\n").encode("ascii"))
