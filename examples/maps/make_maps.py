#!/usr/bin/env python3
"""Draws the hand-made example stages as text maps (run from this folder).

Tile codes: 0..3 ground, 4..7 water (never under FG 24..63), 8..11 canopy,
12..15 bush, 24..27 brick, 28..29 floor plate, 30..31 sandbags, 32..33
concrete, 34..35 fence, 36 rubble, 37 hedgehog, 38 barrel, 39 sign, 40..43
steel, 44..47 stone, 48..51 crate, 52..55 ice, 56..59 rock, 60..63 energy.
"""

W, H = 40, 30


class Stage:
    def __init__(self, number, caption, bitmap="", color=0x102028, h_tile=1, v_tile=1, enemies=(), max_count=5):
        self.number, self.caption, self.bitmap = number, caption, bitmap
        self.color, self.h_tile, self.v_tile = color, h_tile, v_tile
        self.enemies = list(enemies) + [0] * (16 - len(enemies))
        self.max_count = max_count
        self.bg = [[-1] * W for _ in range(H)]
        self.fg = [[-1] * W for _ in range(H)]

    def put(self, layer, x0, y0, w, h, group, variants=4):
        """A block of a tile group, its variants in diagonal stripes."""
        grid = self.bg if layer == "bg" else self.fg
        for y in range(y0, y0 + h):
            for x in range(x0, x0 + w):
                if 0 <= x < W and 0 <= y < H:
                    grid[y][x] = group if group < 0 else group + (x + y) % variants

    def base(self):
        """The flag's brick wall at the bottom centre, clear corners for the players' start."""
        self.put("bg", 14, 26, 12, 4, -1)
        self.put("fg", 14, 26, 12, 4, -1)
        self.put("fg", 18, 27, 4, 3, 24)
        self.put("fg", 19, 28, 2, 2, -1)
        for grid in (self.bg, self.fg):
            for x, y in [(x, y) for x in list(range(3)) + list(range(37, 40)) for y in range(2)]:
                grid[y][x] = -1

    def text(self):
        lines = ["[Stage%02d]" % self.number, "Caption=" + self.caption, "BG_Bitmap=" + self.bitmap,
                 "BG_Color=$%06X" % self.color, "BG_H_Tile=%d" % self.h_tile, "BG_V_Tile=%d" % self.v_tile,
                 "EnemyCount=" + ",".join(str(n) for n in self.enemies), "MaxCount=%d" % self.max_count,
                 "SI_Bitmap="]
        for y in range(H):
            for key, grid in (("BG", self.bg), ("FG", self.fg)):
                lines.append("%s%02d=" % (key, y) + "".join("%02X " % (code + 1) for code in grid[y]))
        lines.append("[End]")
        return "\r\n".join(lines) + "\r\n"


def training_ground():
    s = Stage(0, "Training Ground", "sky.bmp", enemies=[4, 2, 0, 0, 1], max_count=4)
    s.put("bg", 0, 0, W, H, 0)
    for x in (4, 10, 28, 34):
        s.put("fg", x, 4, 2, 14, 24)  # brick columns
    s.put("fg", 14, 10, 12, 2, 24)
    s.put("fg", 18, 14, 4, 2, 40)     # a steel core in the middle
    s.put("fg", 8, 21, 6, 2, 12)      # bushes to hide in
    s.put("fg", 26, 21, 6, 2, 12)
    s.put("fg", 0, 15, 3, 1, 44)
    s.put("fg", 37, 15, 3, 1, 44)
    s.base()
    return s


def desert_fort():
    s = Stage(1, "Desert Fort", "desert.jpg", color=0x4080B0, h_tile=0, v_tile=0,
              enemies=[3, 3, 2, 2, 1, 1, 0, 0, 1], max_count=6)
    s.put("fg", 12, 6, 16, 1, 32, 2)   # the fort's concrete walls
    s.put("fg", 12, 13, 16, 1, 32, 2)
    s.put("fg", 12, 6, 1, 8, 32, 2)
    s.put("fg", 27, 6, 1, 8, 32, 2)
    s.put("fg", 19, 13, 2, 1, -1)      # its gate
    s.put("fg", 14, 8, 2, 2, 48)       # crates and barrels inside
    s.put("fg", 24, 8, 2, 2, 48)
    s.fg[10][19] = 38
    s.fg[10][20] = 38
    for x, y in ((3, 5), (35, 5), (6, 18), (32, 18), (2, 24), (37, 24)):
        s.put("fg", x, y, 2, 2, 56)    # rocks
    s.put("fg", 5, 15, 8, 1, 30, 2)    # sandbag lines
    s.put("fg", 27, 15, 8, 1, 30, 2)
    s.fg[17][19] = 37
    s.fg[17][20] = 37
    s.fg[3][20] = 39
    s.base()
    return s


def river_crossing():
    s = Stage(2, "River Crossing", enemies=[2, 4, 4, 2, 2, 1, 1, 0, 0, 0, 1, 1], max_count=8)
    s.put("bg", 0, 0, W, H, 0)
    s.put("bg", 0, 12, W, 5, 4)        # the river
    s.put("bg", 7, 12, 3, 5, 0)        # two fords
    s.put("bg", 30, 12, 3, 5, 0)
    s.put("fg", 7, 12, 3, 5, 28, 2)    # plated bridges over the fords
    s.put("fg", 30, 12, 3, 5, 28, 2)
    s.put("fg", 0, 10, 7, 2, 8)        # canopy along the banks
    s.put("fg", 10, 10, 20, 1, 8)
    s.put("fg", 33, 10, 7, 2, 8)
    s.put("fg", 2, 17, 5, 2, 8)
    s.put("fg", 33, 17, 5, 2, 8)
    s.put("fg", 14, 4, 12, 2, 52)      # an ice field in the north
    s.put("fg", 18, 20, 4, 1, 60)      # an energy barrier before the base
    s.put("fg", 11, 22, 2, 4, 34, 2)   # fences
    s.put("fg", 27, 22, 2, 4, 34, 2)
    s.fg[7][5] = 36
    s.fg[7][34] = 36
    s.base()
    return s


if __name__ == "__main__":
    # Named by stage number: stagetool pack puts NN.txt at record NN.
    for stage in (training_ground(), desert_fort(), river_crossing()):
        with open("%02d.txt" % stage.number, "wb") as out:
            out.write(stage.text().encode("latin-1"))
