#!/usr/bin/env python3
"""Build Morvane's artwork: the banner JPEG and the application icons.

Run through make-artwork.sh, which checks the tools first.  Everything is
drawn from the sources beside this file:

  emblem.svg      master emblem on a 48-unit grid (shapes only, no text)
  emblem-24.txt   the same emblem drawn by hand, pixel by pixel, at 24 x 24
  this script     lays out the banner; its lettering is taken from
                  Debian's Noto CJK fonts and turned into SVG paths

Outputs (relative to the repository root):
  resources/banner.jpg            553 x 65, baseline JPEG, YCbCr
  resources/Morvane.png           24 x 24, indexed (palette) PNG
  resources/icons/morvane-48.png  48 x 48, indexed PNG
  resources/icons/morvane-128.png 128 x 128, indexed PNG
  resources/icons/morvane.svg     scalable icon (shapes only)
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

from fontTools.pens.boundsPen import BoundsPen
from fontTools.pens.svgPathPen import SVGPathPen
from fontTools.pens.transformPen import TransformPen
from fontTools.ttLib import TTFont
from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))

SVG_NS = "http://www.w3.org/2000/svg"
ET.register_namespace("", SVG_NS)

# Colours shared by every piece of artwork.
SEAL_RED = (0xA3, 0x2A, 0x2A)
TITLE_GREY = "#5e5e5e"
SUBTITLE_GREY = "#8c8c8c"
PINYIN_RED = "#a85050"
RULE_GREY = "#d2d2d2"

BANNER_W, BANNER_H = 553, 65
JPEG_QUALITY = 92


# --------------------------------------------------------------------------
# Fonts: located through fontconfig, glyph outlines read with fontTools.

class Face:
    def __init__(self, pattern):
        out = subprocess.run(
            ["fc-match", "-f", "%{file}\n%{index}\n%{family}", pattern],
            check=True, capture_output=True, text=True).stdout.split("\n")
        path, index = out[0], int(out[1] or 0)
        if "Noto" not in out[2]:
            sys.exit("font not found: %s (install fonts-noto-cjk)" % pattern)
        self.font = TTFont(path, fontNumber=index, lazy=True)
        self.glyphs = self.font.getGlyphSet()
        self.cmap = self.font.getBestCmap()
        self.upem = self.font["head"].unitsPerEm

    def glyph(self, ch):
        name = self.cmap.get(ord(ch))
        if name is None:
            sys.exit("glyph missing for %r" % ch)
        return name, self.glyphs[name]

    def layout(self, text, size, spacing=0.0):
        """Yield (glyph, x offset) pairs and return the total advance."""
        s = size / self.upem
        x = 0.0
        placed = []
        for i, ch in enumerate(text):
            _, g = self.glyph(ch)
            placed.append((g, x))
            x += g.width * s + (spacing if i < len(text) - 1 else 0)
        return placed, x

    def path(self, text, x, baseline, size, spacing=0.0):
        """SVG path data for text whose pen starts at (x, baseline)."""
        s = size / self.upem
        placed, advance = self.layout(text, size, spacing)
        pen = SVGPathPen(self.glyphs, ntos=lambda v: ("%.2f" % v).rstrip("0").rstrip("."))
        for g, dx in placed:
            g.draw(TransformPen(pen, (s, 0, 0, -s, x + dx, baseline)))
        return pen.getCommands(), advance

    def ink(self, text, size, spacing=0.0):
        """Ink box (x0, top, x1, bottom) in pixels, pen at (0, baseline 0)."""
        s = size / self.upem
        placed, _ = self.layout(text, size, spacing)
        box = None
        for g, dx in placed:
            bp = BoundsPen(self.glyphs)
            g.draw(TransformPen(bp, (s, 0, 0, -s, dx, 0)))
            if bp.bounds is None:
                continue
            b = bp.bounds
            box = b if box is None else (min(box[0], b[0]), min(box[1], b[1]),
                                         max(box[2], b[2]), max(box[3], b[3]))
        return box


# --------------------------------------------------------------------------
# The emblem.

def emblem_group(x, y, size):
    """The emblem's shapes from emblem.svg, placed at (x, y), size px wide."""
    tree = ET.parse(os.path.join(HERE, "emblem.svg"))
    root = tree.getroot()
    vb = [float(v) for v in root.get("viewBox").split()]
    g = root.find("{%s}g" % SVG_NS)
    g.set("transform", "translate(%g %g) scale(%g)" % (x, y, size / vb[2]))
    return ET.tostring(g, encoding="unicode")


def emblem_pixels():
    """The hand-drawn 24 x 24 emblem as an RGBA image."""
    rows = []
    with open(os.path.join(HERE, "emblem-24.txt"), encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if line and not line.startswith("#"):
                rows.append(line)
    if len(rows) != 24 or any(len(r) != 24 for r in rows):
        sys.exit("emblem-24.txt: the grid must be 24 lines of 24 characters")

    def over_red(t):
        return tuple(round(c + (255 - c) * t) for c in SEAL_RED) + (255,)

    colours = {
        ".": (0, 0, 0, 0),
        "o": SEAL_RED + (89,),
        "q": SEAL_RED + (204,),
        "R": SEAL_RED + (255,),
        "W": (255, 255, 255, 255),
        "p": over_red(0.85),
        "w": over_red(0.60),
        "v": over_red(0.30),
        "u": over_red(0.15),
        "h": over_red(0.40),
    }
    im = Image.new("RGBA", (24, 24))
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch not in colours:
                sys.exit("emblem-24.txt: unknown pixel %r at %d,%d" % (ch, x, y))
            im.putpixel((x, y), colours[ch])
    return im


# --------------------------------------------------------------------------
# The banner.

def banner_svg():
    serif = Face("Noto Serif CJK SC:style=Regular")
    sans = Face("Noto Sans CJK SC:style=Regular")
    parts = []

    # Paper: white strip, closed at the bottom by a soft shade and a hairline
    # so that it sits cleanly on the light grey window behind it.
    parts.append('<rect width="%d" height="%d" fill="#ffffff"/>' % (BANNER_W, BANNER_H))
    parts.append(
        '<linearGradient id="shade" x1="0" y1="0" x2="0" y2="1">'
        '<stop offset="0" stop-color="#ffffff"/>'
        '<stop offset="1" stop-color="#f4f4f4"/></linearGradient>')
    parts.append('<rect y="%d" width="%d" height="%d" fill="url(#shade)"/>'
                 % (BANNER_H - 9, BANNER_W, 8))
    parts.append('<rect y="%d" width="%d" height="1" fill="%s"/>'
                 % (BANNER_H - 1, BANNER_W, RULE_GREY))

    # Quiet ripples at the far right, echoing the emblem.
    cx, cy = 500, 50
    for i, (rx, ry, op) in enumerate([(34, 8, 0.9), (62, 15, 0.7), (92, 23, 0.5)]):
        parts.append(
            '<path fill="#e6e6e6" fill-opacity="%g" d="M%g %g A%g %g 0 0 0 %g %g '
            'A%g %g 0 0 1 %g %g Z"/>'
            % (op, cx - rx, cy - 2 * i, rx, ry, cx + rx, cy - 2 * i,
               rx, ry - 2.2, cx - rx, cy - 2 * i))
    parts.append(
        '<path fill="#f0f0f0" d="M%g 18 C%g 25 %g 29 %g 33 A6 6 0 0 0 %g 33 '
        'C%g 29 %g 25 %g 18 Z"/>' % (cx, cx - 3, cx - 6, cx - 6, cx + 6, cx + 6, cx + 3, cx))

    # Emblem.
    parts.append(emblem_group(8, 8, 48))

    # Title 墨韵通 with its pinyin above each character.
    title, t_size, t_space = "墨韵通", 34, 7
    t_x = 70
    box = serif.ink(title, t_size, t_space)
    t_base = 56 - box[3]          # ink bottom on the emblem's bottom edge
    d, t_adv = serif.path(title, t_x, t_base, t_size, t_space)
    parts.append('<path fill="%s" d="%s"/>' % (TITLE_GREY, d))

    p_size = 11
    p_base = t_base + box[1] - 4  # just above the title's ink
    for i, syl in enumerate(["mò", "yùn", "tōng"]):
        centre = t_x + i * (t_size + t_space) + t_size / 2
        pb = sans.ink(syl, p_size)
        px = centre - (pb[0] + pb[2]) / 2
        d, _ = sans.path(syl, px, p_base, p_size)
        parts.append('<path fill="%s" d="%s"/>' % (PINYIN_RED, d))

    # A hairline, then the Latin name and what the program does.
    div_x = t_x + t_adv + 18
    parts.append('<rect x="%g" y="18" width="1" height="34" fill="#dedede"/>' % div_x)
    s_x = div_x + 17
    d, _ = sans.path("Morvane", s_x, 32, 17, 0.6)
    parts.append('<path fill="%s" d="%s"/>' % (TITLE_GREY, d))
    d, _ = sans.path("汉字转拼音·声调标注", s_x, 50, 12, 1.0)
    parts.append('<path fill="%s" d="%s"/>' % (SUBTITLE_GREY, d))

    return ('<svg xmlns="%s" width="%d" height="%d" viewBox="0 0 %d %d">%s</svg>\n'
            % (SVG_NS, BANNER_W, BANNER_H, BANNER_W, BANNER_H, "".join(parts)))


# --------------------------------------------------------------------------
# Output helpers.

def rsvg(svg_path, png_path, size=None):
    cmd = ["rsvg-convert", "-f", "png", "-o", png_path]
    if size:
        cmd += ["-w", str(size), "-h", str(size)]
    subprocess.run(cmd + [svg_path], check=True)


def save_indexed(im, path):
    """Write an RGBA image as an 8-bit palette PNG (transparency in tRNS).

    The artwork has few colours: the 256 most frequent ones form the palette
    and any rarer edge pixel takes its nearest entry, so nothing visible is
    lost and no dithering noise is added.
    """
    im = im.convert("RGBA")
    counts = sorted(im.getcolors(im.width * im.height), key=lambda nc: (-nc[0], nc[1]))
    palette = [c for _, c in counts[:256]]
    index = {c: i for i, c in enumerate(palette)}

    def premultiplied(c):
        a = c[3] / 255.0
        return (c[0] * a, c[1] * a, c[2] * a, c[3])

    pm = [premultiplied(c) for c in palette]
    for _, c in counts[256:]:
        q = premultiplied(c)
        index[c] = min(range(len(pm)),
                       key=lambda i: sum((pm[i][k] - q[k]) ** 2 for k in range(4)))

    out = Image.new("P", im.size)
    out.putdata([index[c] for c in im.getdata()])
    flat = []
    for c in palette:
        flat += c[:3]
    out.putpalette(flat)
    alphas = bytes(c[3] for c in palette)
    if any(a != 255 for a in alphas):
        out.save(path, optimize=True, bits=8, transparency=alphas)
    else:
        out.save(path, optimize=True, bits=8)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--keep", metavar="DIR",
                    help="also keep the intermediate files in DIR")
    args = ap.parse_args()

    res = os.path.join(ROOT, "resources")
    icons = os.path.join(res, "icons")
    os.makedirs(icons, exist_ok=True)

    with tempfile.TemporaryDirectory() as tmp:
        # Banner: SVG -> PNG -> PPM -> baseline JPEG, full-resolution colour.
        svg = os.path.join(tmp, "banner.svg")
        with open(svg, "w", encoding="utf-8") as f:
            f.write(banner_svg())
        png = os.path.join(tmp, "banner.png")
        rsvg(svg, png)
        ppm = os.path.join(tmp, "banner.ppm")
        Image.open(png).convert("RGB").save(ppm)
        subprocess.run(["cjpeg", "-baseline", "-optimize", "-quality", str(JPEG_QUALITY),
                        "-sample", "1x1", "-outfile", os.path.join(res, "banner.jpg"), ppm],
                       check=True)

        # Icons.
        save_indexed(emblem_pixels(), os.path.join(res, "Morvane.png"))
        for size in (48, 128):
            out = os.path.join(tmp, "icon-%d.png" % size)
            rsvg(os.path.join(HERE, "emblem.svg"), out, size)
            save_indexed(Image.open(out), os.path.join(icons, "morvane-%d.png" % size))
        shutil.copyfile(os.path.join(HERE, "emblem.svg"), os.path.join(icons, "morvane.svg"))

        if args.keep:
            os.makedirs(args.keep, exist_ok=True)
            for name in os.listdir(tmp):
                shutil.copy(os.path.join(tmp, name), args.keep)


if __name__ == "__main__":
    main()
