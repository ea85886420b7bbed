#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/seeds/<target>/:
a few valid inputs and a few damaged ones per target. Deterministic, so
running it again changes nothing. Inputs found by fuzzing are kept beside
the seeds under names of their own (see the README) and are not touched."""
import io
import os
import struct
import sys
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SEEDS = os.path.join(HERE, "seeds")
TOP = os.path.dirname(HERE)


def put(target, name, data):
    folder = os.path.join(SEEDS, target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(os.path.join(folder, "seed-" + name), "wb") as f:
        f.write(data)


def damaged(target, name, data):
    """The valid input cut in half, and with one byte in the middle flipped."""
    if isinstance(data, str):
        data = data.encode("utf-8")
    put(target, name + "-cut", data[: len(data) // 2])
    mid = len(data) // 2
    put(target, name + "-flip", data[:mid] + bytes([data[mid] ^ 0x5A]) + data[mid + 1:])


# ---- update lists
LIST = """<?xml version="1.0" encoding="UTF-8"?>
<update version="4" expires="2030-01-01T00:00:00Z">
 <files>
  <file type="0" ver="1.1" path="bin/app.exe" md5="00112233445566778899aabbccddeeff"/>
  <file type="1" ver="2" path="setup.exe" size="1234" sha256="%s"/>
  <file type="0" ver="7" path="Data/Model.zip"/>
  <file type="0" ver="" path="empty-version.txt"/>
 </files>
</update>
""" % ("ab" * 32)
put("fuzz_updatelist", "list", LIST)
put("fuzz_updatelist", "unchanged",
    '<update><files><file ver="2" path="setup.exe"/></files></update>')
put("fuzz_updatelist", "nofiles", '<update version="x"><other/></update>')
put("fuzz_updatelist", "entity",
    '<!DOCTYPE u [<!ENTITY a "aaaa">]><update><files><file ver="&a;" path="&a;"/></files></update>')
damaged("fuzz_updatelist", "list", LIST)

# ---- settings files
INI = """[config]
downmode=0
connectcount=3
ListFileName=version.xml
LocatTempDir=GkUpdate
[APPLICATION]
Application=Carrack
AppTitle=Carrack, v1,2
[UPDATEINFO]
httpListURL=http://127.0.0.1:8080/update/
ftpserverip=
[UPDATESIGNATURE]
PublicKey=%s
""" % ("A" * 43 + "=")
put("fuzz_settings", "ini", INI)
put("fuzz_settings", "case", "[CONFIG]\nlistfilename=list\nCONNECTCOUNT=99\n[application]\napplication=..\\\\x\n")
put("fuzz_settings", "climb", "[config]\nLocatTempDir=../../etc\nListFileName=/abs/list.xml\n")
put("fuzz_settings", "quoted", '[config]\nListFileName="a,b;c"\nconnectcount=-4\n')
damaged("fuzz_settings", "ini", INI)


# ---- zip archives
def zipped(entries, method=zipfile.ZIP_DEFLATED):
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w", method) as z:
        for name, data, mode in entries:
            info = zipfile.ZipInfo(name, date_time=(2024, 5, 6, 7, 8, 10))
            info.compress_type = method
            if mode is not None:
                info.external_attr = mode << 16
            z.writestr(info, data)
    return buf.getvalue()


ZIP = zipped([("Model/", b"", 0o40755), ("Model/a.txt", b"hello " * 20, 0o100644),
              ("Model/sub/b.bin", bytes(range(256)), 0o100755)])
put("fuzz_unzip", "tree", ZIP)
put("fuzz_unzip", "stored", zipped([("x.txt", b"stored", None)], zipfile.ZIP_STORED))
put("fuzz_unzip", "climb", zipped([("../../../../escape.txt", b"out", None),
                                   ("a/../../b.txt", b"b", None), ("/abs.txt", b"abs", None),
                                   ("C:\\drive.txt", b"c", None)]))
put("fuzz_unzip", "symlink", zipped([("link", b"../../../../", 0o120777),
                                     ("link/through.txt", b"t", 0o100644)]))
put("fuzz_unzip", "modes", zipped([("ro.txt", b"r", 0o100444), ("noexec/", b"", 0o40000),
                                   ("noexec/f", b"f", 0o104777)]))
put("fuzz_unzip", "empty", zipped([]))
damaged("fuzz_unzip", "tree", ZIP)

# ---- JSON designs
for name in ("clean", "violations"):
    with open(os.path.join(TOP, "mainwidget", "samples", name + ".json"), "rb") as f:
        data = f.read()
    put("fuzz_design_json", name, data)
    damaged("fuzz_design_json", name, data)
put("fuzz_design_json", "small", """{"clearance": 0.2,
 "board": {"outer": [{"type": "circle", "center": [0, 0], "radius": 10}]},
 "features": [
  {"id": "a", "net": "n1", "clearance": 0.5,
   "region": {"outer": [{"type": "circle", "center": [1, 0], "radius": 1}]}},
  {"id": "b", "net": "n2",
   "region": {"outer": [{"type": "line", "from": [2, -1], "to": [4, -1]},
     {"type": "arc", "center": [4, 0], "radius": 1, "start": 270, "end": 90, "direction": "ccw"},
     {"type": "line", "from": [4, 1], "to": [2, 1]}, {"type": "line", "from": [2, 1], "to": [2, -1]}]}}]}""")

# ---- KiCad boards (board text, then optionally a NUL and the project file)
HEAD = ('(kicad_pcb (version 20211014) (generator pcbnew)\n'
        '  (layers (0 "F.Cu" signal) (31 "B.Cu" signal) (44 "Edge.Cuts" user))\n'
        '  (net 0 "") (net 1 "GND") (net 2 "VCC")\n'
        '  (gr_rect (start 0 0) (end 50 40) (layer "Edge.Cuts") (width 0.1))\n')
BOARD = HEAD + (
    '  (segment (start 10 10) (end 20 10) (width 0.5) (layer "B.Cu") (net 1))\n'
    '  (arc (start 30 20) (mid 32 22) (end 34 20) (width 0.4) (layer "F.Cu") (net 2))\n'
    '  (via (at 5 5) (size 0.8) (drill 0.4) (layers "F.Cu" "B.Cu") (net 2))\n'
    '  (zone (net 1) (net_name "GND") (layer "F.Cu") (connect_pads (clearance 0.5))\n'
    '    (filled_polygon (layer "F.Cu") (pts (xy 1 1) (xy 11 1) (xy 11 6) (xy 1 6))))\n'
    '  (footprint "lib:X" (layer "F.Cu") (at 20 20 90) (clearance 0.3)\n'
    '    (fp_text reference "U1" (at 0 0) (layer "F.SilkS"))\n'
    '    (pad "1" smd rect (at 1 0 90) (size 2 1) (layers "F.Cu") (net 1 "GND"))\n'
    '    (pad "2" smd roundrect (at 0 4 90) (size 2 1) (roundrect_rratio 0.25) (layers "F.Cu"))\n'
    '    (pad "3" thru_hole oval (at 0 -4 90) (size 3 1) (drill 0.5) (layers *.Cu *.Mask))\n'
    '    (pad "4" smd roundrect (at 6 0) (size 2 2) (chamfer_ratio 0.25)\n'
    '      (chamfer top_left bottom_right) (layers "B.Cu"))\n'
    '    (pad "5" thru_hole trapezoid (at -6 0) (size 2 3) (rect_delta 0 1) (drill 0.5) (layers F&B.Cu))\n'
    '    (pad "6" smd custom (at 9 -9) (size 1 1) (layers "F.Cu")\n'
    '      (options (clearance outline) (anchor circle))\n'
    '      (primitives (gr_line (start 0 0) (end 3 0) (width 0.2))\n'
    '        (gr_poly (pts (xy 0 0) (xy 1 0) (xy 1 1)) (width 0)))))\n'
    ')\n')
PROJECT = ('{"net_settings": {"classes": [{"name": "Default", "clearance": 0.25},'
           ' {"name": "power", "clearance": 0.5, "nets": ["VCC"]}]}}')
put("fuzz_kicad_board", "board", BOARD)
put("fuzz_kicad_board", "board-project", BOARD + "\0" + PROJECT)
KICAD5 = ('(kicad_pcb (version 20171130) (host pcbnew 5.1.9)\n'
          '  (layers (0 F.Cu signal) (31 B.Cu signal) (44 Edge.Cuts user))\n'
          '  (net 0 "") (net 1 GND)\n'
          '  (net_class Default "" (clearance 0.3) (add_net GND))\n'
          '  (net_class Power "" (clearance 0.5) (add_net VCC))\n'
          '  (gr_line (start 0 0) (end 40 0) (layer Edge.Cuts) (width 0.1))\n'
          '  (gr_line (start 40 0) (end 40 25) (layer Edge.Cuts) (width 0.1))\n'
          '  (gr_arc (start 35 25) (end 40 25) (angle 90) (layer Edge.Cuts) (width 0.1))\n'
          '  (gr_line (start 35 30) (end 0 30) (layer Edge.Cuts) (width 0.1))\n'
          '  (gr_line (start 0 30) (end 0 0) (layer Edge.Cuts) (width 0.1))\n'
          '  (module R (layer F.Cu) (at 10 10 90)\n'
          '    (fp_text reference R1 (at 0 0) (layer F.SilkS))\n'
          '    (fp_arc (start 0 0) (end 2 0) (angle -90) (layer F.Cu) (width 0.2))\n'
          '    (pad 1 smd rect (at 1 0 90) (size 2 1) (layers F.Cu) (net 1 GND))))\n')
put("fuzz_kicad_board", "kicad5", KICAD5)
put("fuzz_kicad_board", "old", "(kicad_pcb (version 20160815))")
# A newer board: properties, strokes, polygons with arcs, offset and oval
# drills, plain holes, copper text, items that leave out unused layers, an
# outline whose ends meet within the chaining tolerance but not exactly; its
# project assigns nets to classes by name and by pattern.
BOARD8 = (
    '(kicad_pcb (version 20240108) (generator "pcbnew")\n'
    '  (layers (0 "F.Cu" signal) (31 "B.Cu" signal) (44 "Edge.Cuts" user))\n'
    '  (net 0 "") (net 1 "GND") (net 2 "VCC") (net 3 "SIG_A")\n'
    '  (gr_line (start 0 0) (end 60 0) (stroke (width 0.1) (type solid)) (layer "Edge.Cuts"))\n'
    '  (gr_line (start 60 0.0005) (end 60 40) (stroke (width 0.1) (type solid)) (layer "Edge.Cuts"))\n'
    '  (gr_arc (start 60 40) (mid 30 45) (end 0 40) (stroke (width 0.1) (type solid)) (layer "Edge.Cuts"))\n'
    '  (gr_line (start 0.0004 40) (end 0 0) (stroke (width 0.1) (type solid)) (layer "Edge.Cuts"))\n'
    '  (gr_text "TOP" (at 5 35) (layer "F.Cu") (effects (font (size 1 1))))\n'
    '  (gr_poly (pts (xy 40 5) (xy 50 5) (arc (start 50 5) (mid 52 8) (end 50 11)) (xy 40 11))\n'
    '    (stroke (width 0.2) (type solid)) (fill solid) (layer "B.Cu") (net 1))\n'
    '  (gr_circle (center 45 30) (end 47 30) (stroke (width 0.3) (type solid)) (fill none) (layer "F.Cu"))\n'
    '  (gr_rect (start 20 30) (end 24 33) (stroke (width 0.1) (type solid)) (fill none) (layer "B.Cu"))\n'
    '  (segment (start 10 10) (end 20 10) (width 0.25) (layer "F.Cu") (net 3))\n'
    '  (arc (start 20 10) (mid 22 12) (end 24 10) (width 0.25) (layer "F.Cu") (net 3))\n'
    '  (via (at 30 10) (size 0.6) (drill 0.3) (layers "F.Cu" "B.Cu") (remove_unused_layers) (net 3))\n'
    '  (zone (net 1) (net_name "GND") (layer "B.Cu") (connect_pads (clearance 0.3))\n'
    '    (fill yes (thermal_gap 0.5))\n'
    '    (polygon (pts (xy 2 2) (xy 58 2) (xy 58 38) (xy 2 38)))\n'
    '    (filled_polygon (layer "B.Cu") (pts (xy 2 2) (xy 58 2) (xy 58 20) (xy 2 20))))\n'
    '  (footprint "lib:J" (layer "B.Cu") (at 15 25 180)\n'
    '    (property "Reference" "J1" (at 0 0 0) (layer "B.SilkS"))\n'
    '    (property "Value" "CONN" (at 0 2 0) (layer "B.Fab"))\n'
    '    (pad "1" thru_hole oval (at 0 0 180) (size 2 3) (drill oval 1 2 (offset 0 0.2))\n'
    '      (layers "*.Cu" "*.Mask") (remove_unused_layers) (net 2 "VCC"))\n'
    '    (pad "" np_thru_hole circle (at 4 0) (size 2 2) (drill 2) (layers "*.Cu"))\n'
    '    (pad "" np_thru_hole circle (at -4 0) (size 3 3) (drill 2) (layers "*.Cu"))\n'
    '    (pad "2" smd chamfered_rect (at 0 4) (size 2 1) (chamfer_ratio 0.2) (chamfer top_right)\n'
    '      (layers "B.Cu") (net 3 "SIG_A"))\n'
    '    (fp_circle (center 0 -4) (end 1 -4) (stroke (width 0.2) (type solid)) (fill solid) (layer "B.Cu")))\n'
    ')\n')
PROJECT8 = ('{"net_settings": {"classes": [{"name": "Default", "clearance": 0.2},'
            ' {"name": "power", "clearance": 0.4}, {"name": "signal"}],'
            ' "netclass_assignments": {"VCC": ["power"], "GND": "power"},'
            ' "netclass_patterns": [{"netclass": "signal", "pattern": "SIG_*"}]}}')
put("fuzz_kicad_board", "board8", BOARD8)
put("fuzz_kicad_board", "board8-project", BOARD8 + "\0" + PROJECT8)
# Refused: a pad with a shape per layer, an arc narrower than its stroke.
put("fuzz_kicad_board", "board8-padstack", BOARD8.replace(
    '(pad "2" smd chamfered_rect',
    '(pad "3" smd rect (at 2 2) (size 1 1) (layers "B.Cu") (padstack (mode front_inner_back)))\n'
    '    (pad "2" smd chamfered_rect'))
put("fuzz_kicad_board", "board8-thick-arc", BOARD8.replace(
    '(gr_rect (start 20 30)',
    '(gr_arc (start 30 20) (mid 30.5 20.5) (end 31 20) (stroke (width 2) (type solid)) (layer "F.Cu"))\n'
    '  (gr_rect (start 20 30)'))
damaged("fuzz_kicad_board", "board8", BOARD8)
damaged("fuzz_kicad_board", "board", BOARD)
damaged("fuzz_kicad_board", "kicad5", KICAD5)


# ---- clipper: byte layout as fuzz_clipper.cpp's FuzzedDataProvider reads it
# is awkward to write by hand, so the seeds are byte strings that decode to
# a variety of shape counts and loop kinds.
def clip_seed(i):
    out = bytearray()
    state = 0x12345678 + i * 7919
    for _ in range(64 + 32 * (i % 4)):
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        out.append((state >> 16) & 0xFF)
    return bytes(out)


for i in range(8):
    put("fuzz_clipper", "random-%d" % i, clip_seed(i))
put("fuzz_clipper", "zeros", bytes(96))


# ---- curve pairs. FuzzedDataProvider takes integers from the end of the
# input, the first value read being the last bytes (little-endian there):
# so the values are written in reverse order, the mode byte last.
def pair_seed(mode, values):
    """values: (struct format, value) in the order the target reads them."""
    out = b"".join(struct.pack("<" + f, v) for f, v in reversed(values))
    return out + bytes([mode])


def seg(ax, ay, bx, by):
    return [("h", ax), ("h", ay), ("h", bx), ("h", by)]


def arc(cx, cy, r, flags, s=0, e=0):
    v = [("h", cx), ("h", cy), ("H", r), ("B", flags)]
    return v if flags & 1 else v + [("H", s), ("H", e)]


def raw_seg(*xs):
    return [("d", x) for x in xs]


put("fuzz_curve_pair", "segs", pair_seed(0, seg(0, 0, 320, 0) + seg(160, -160, 160, 160)))
put("fuzz_curve_pair", "seg-parallel", pair_seed(0, seg(0, 0, 320, 0) + seg(32, 0, 640, 0)))
put("fuzz_curve_pair", "arc-seg", pair_seed(1, arc(0, 0, 128, 2, 0, 32768) + seg(-320, 64, 320, 64)))
put("fuzz_curve_pair", "arcs", pair_seed(3, arc(0, 0, 64, 2, 0, 16384) + arc(96, 0, 64, 1)))
put("fuzz_curve_pair", "same-circle", pair_seed(3, arc(0, 0, 64, 1) + arc(0, 0, 64, 0, 100, 30000)))
put("fuzz_curve_pair", "raw-segs", pair_seed(4, raw_seg(1e300, -1e300, 5e-324, 0.0) +
                                             raw_seg(1.0, 2.0, 3.0, 4.0)))
put("fuzz_curve_pair", "raw-nan", pair_seed(4, raw_seg(float("nan"), 0.0, float("inf"), 1.0) +
                                            raw_seg(0.0, 0.0, 1.0, 1.0)))
print("seeds written to", SEEDS, file=sys.stderr)
