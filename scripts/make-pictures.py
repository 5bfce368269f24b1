#!/usr/bin/env python3
"""Draws the program's pictures into assets/pictures/ and writes assets/pictures.rc.

Every picture is one row of PICTURES. A picture button is one PNG strip of four states side by
side (normal, hot, pressed, disabled), each state the control's own size, with the caption drawn
in. Skins are PNG, panel backgrounds JPEG, the program icon a 16/32/48 .ico.

Only ImageMagick's `convert` and the WenQuanYi Micro Hei font are needed. The results are
committed; the build never runs this.

    scripts/make-pictures.sh                 # redraw everything
    scripts/make-pictures.sh --sheet X.png   # also write a contact sheet for a look (not committed)
"""

import argparse
import os
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ASSETS = os.path.join(ROOT, "assets")
OUT = os.path.join(ASSETS, "pictures")

# name, kind, width, height, caption. For buttons the size is one state's size.
PICTURES = [
    ("main_skin", "skin", 664, 446, ""),
    ("dialog_skin", "dialog_skin", 480, 360, ""),
    ("main_panel", "panel", 648, 330, ""),
    ("dialog_panel", "panel", 442, 444, ""),
    ("btn_open", "button", 74, 26, "打开(O)"),
    ("btn_save", "button", 74, 26, "保存(S)"),
    ("btn_search", "button", 59, 26, "搜索(S)"),
    ("btn_expand", "button", 82, 26, "高级(A)"),
    ("btn_compact", "button", 82, 26, "简洁(A)"),
    ("btn_ok", "primary_button", 82, 26, "确定(C)"),
    ("btn_exit", "button", 82, 26, "退出(X)"),
    ("btn_cancel", "button", 82, 26, "取消"),
    ("btn_yes", "button", 82, 26, "是"),
    ("btn_no", "button", 82, 26, "否"),
    ("btn_close_text", "button", 82, 26, "关闭"),
    ("btn_parameter_help", "button", 140, 26, "命令行参数调用说明"),
    ("btn_job_running", "button", 82, 26, "停止(X)"),
    ("btn_job_done", "button", 82, 26, "完成(X)"),
    ("btn_job_stopped", "button", 82, 26, "取消(X)"),
    ("btn_browse", "button", 74, 26, "浏览(B)"),
    ("btn_mount", "button", 74, 26, "加载(M)"),
    ("btn_exit_small", "button", 74, 26, "退出(X)"),
    ("btn_open_drive", "button", 82, 26, "打开光驱(O)"),
    ("btn_cancel_x", "button", 82, 26, "取消(X)"),
    ("btn_menu", "title_menu", 29, 24, ""),
    ("btn_minimize", "title_minimize", 31, 25, ""),
    ("btn_close", "title_close", 29, 24, ""),
    ("app", "icon", 48, 48, ""),
    ("notice_mark", "mark", 48, 48, ""),
]

# One calm palette: light greys with a blue accent.
ACCENT = "#2B6CB0"
ACCENT_LIGHT = "#8FB3DA"
TITLE = "#E1E9F2"
TITLE_LINE = "#C3D2E3"
BODY = "#EEF2F7"
FRAME = "#AFBDCD"
TEXT = "#1F2B37"
TITLE_BAR_HEIGHT = 26
CAPTION_SIZE = 13

# Per state: (fill, border, text). Order is the strip's order.
BUTTON_STATES = [
    ("#FFFFFF", "#AAB8C8", TEXT),
    ("#EAF2FB", ACCENT, TEXT),
    ("#D3E3F4", "#235A93", TEXT),
    ("#F1F3F5", "#CDD3DA", "#A2AAB3"),
]
PRIMARY_STATES = [
    (ACCENT, "#245C98", "#FFFFFF"),
    ("#3A7CC2", "#2B6CB0", "#FFFFFF"),
    ("#23598F", "#1C4A78", "#FFFFFF"),
    ("#B9C8D8", "#AEBDCD", "#EEF2F6"),
]
# Title-bar buttons are opaque in the title colour so that they sit on the skin whether or not
# the caller blends them, and overlap each other without seams. Per state: (fill, symbol).
TITLE_STATES = [
    (TITLE, "#3F4B57"),
    ("#CBD8E7", "#1F2B37"),
    ("#B6C8DC", "#1F2B37"),
    (TITLE, "#A9B3BD"),
]
CLOSE_STATES = [
    (TITLE, "#3F4B57"),
    ("#D9433B", "#FFFFFF"),
    ("#B5322B", "#FFFFFF"),
    (TITLE, "#A9B3BD"),
]


def find_font():
    try:
        out = subprocess.run(["fc-list", ":family=WenQuanYi Micro Hei", "file"],
                             capture_output=True, text=True, check=True).stdout
    except (OSError, subprocess.CalledProcessError):
        out = ""
    for line in out.splitlines():
        path = line.split(":")[0].strip()
        if path.endswith(".ttc") and os.path.exists(path):
            return path
    sys.exit("make-pictures: WenQuanYi Micro Hei (fonts-wqy-microhei) is not installed")


FONT = None


def convert(*args):
    subprocess.run(["convert", *args], check=True)


def literal(text):
    # -annotate expands % escapes and reads a file for a leading @; captions are plain text.
    text = text.replace("%", "%%")
    return "\\" + text if text.startswith("@") else text


def png_out(path):
    # No ancillary chunks (time stamps, gamma, canvas): the same bytes on every run, and nothing for
    # a loader to correct.
    return ["-strip", "-define", "png:exclude-chunk=all", "PNG32:" + path]


def caption_args(text, colour, dy=0):
    if not text:
        return []
    return ["-font", FONT, "-pointsize", str(CAPTION_SIZE), "-fill", colour, "-stroke", "none",
            "-gravity", "center", "-annotate", "+0%+d" % dy, literal(text), "-gravity", "northwest"]


def disc_args(size, body, hub):
    """A small optical disc, drawn 8x larger and scaled down so that 16 px stays smooth."""
    big = size * 8
    c = big / 2 - 0.5
    r_out, r_hub, r_hole = big * 0.47, big * 0.21, big * 0.09
    arc = big * 0.345

    def circle(r):
        return "circle %.2f,%.2f %.2f,%.2f" % (c, c, c + r, c)

    return ["(", "-size", "%dx%d" % (big, big), "xc:" + body,
            "-fill", hub, "-draw", circle(r_hub),
            "-fill", "none", "-stroke", "#FFFFFFB0", "-strokewidth", "%.2f" % (big * 0.06),
            "-draw", "stroke-linecap round ellipse %.2f,%.2f %.2f,%.2f 195,265" % (c, c, arc, arc),
            "-stroke", "none",
            "(", "-size", "%dx%d" % (big, big), "xc:black", "-fill", "white", "-draw", circle(r_out),
            "-fill", "black", "-draw", circle(r_hole), ")",
            "-alpha", "off", "-compose", "CopyOpacity", "-composite", "-compose", "over",
            "-filter", "box", "-resize", "%dx%d" % (size, size), ")"]


def rounded(w, h, fill, border, radius=3):
    return ["-fill", border, "-draw", "roundrectangle 0,0 %d,%d %d,%d" % (w - 1, h - 1, radius, radius),
            "-fill", fill,
            "-draw", "roundrectangle 1,1 %d,%d %d,%d" % (w - 2, h - 2, radius - 1, radius - 1)]


def make_button(path, w, h, caption, states):
    args = []
    for i, (fill, border, text) in enumerate(states):
        pressed = i == 2
        args += ["(", "-size", "%dx%d" % (w, h), "xc:none", *rounded(w, h, fill, border),
                 *caption_args(caption, text, 1 if pressed else 0), ")"]
    convert(*args, "+append", *png_out(path))


def symbol_draw(kind, w, h, colour):
    cx, cy = (w - 1) / 2, (h - 1) / 2
    if kind == "title_minimize":
        return ["-fill", colour, "-stroke", "none",
                "-draw", "rectangle %d,%d %d,%d" % (cx - 5, cy, cx + 5, cy)]
    stroke = ["-fill", "none", "-stroke", colour, "-strokewidth", "1.5"]
    caps = "stroke-linecap round stroke-linejoin round "
    if kind == "title_menu":
        return stroke + ["-draw", caps + "polyline %.1f,%.1f %.1f,%.1f %.1f,%.1f" % (
            cx - 4.5, cy - 2, cx, cy + 2.5, cx + 4.5, cy - 2)]
    d = 4
    return stroke + ["-draw", caps + "line %.1f,%.1f %.1f,%.1f" % (cx - d, cy - d, cx + d, cy + d),
                     "-draw", caps + "line %.1f,%.1f %.1f,%.1f" % (cx + d, cy - d, cx - d, cy + d)]


def make_title_button(path, kind, w, h):
    states = CLOSE_STATES if kind == "title_close" else TITLE_STATES
    args = []
    for fill, symbol in states:
        args += ["(", "-size", "%dx%d" % (w, h), "xc:" + fill, *symbol_draw(kind, w, h, symbol), ")"]
    convert(*args, "+append", *png_out(path))


def title_bar(w, h):
    return ["-size", "%dx%d" % (w, h), "xc:" + BODY, "-stroke", "none",
            "-fill", TITLE, "-draw", "rectangle 0,0 %d,%d" % (w - 1, TITLE_BAR_HEIGHT - 1),
            "-fill", TITLE_LINE,
            "-draw", "rectangle 0,%d %d,%d" % (TITLE_BAR_HEIGHT, w - 1, TITLE_BAR_HEIGHT)]


def make_skin(path, w, h):
    # The frame runs round the body only: the title-bar buttons cover the top corners. Its bottom
    # edge is three rows deep because the wide layout shows the skin two rows shorter than drawn.
    # The title beside the disc mark is the program's own label, so that it reads as the caption.
    top = TITLE_BAR_HEIGHT + 1
    frame = ["-fill", FRAME,
             "-draw", "rectangle 0,%d 0,%d" % (top, h - 1),
             "-draw", "rectangle %d,%d %d,%d" % (w - 1, top, w - 1, h - 1),
             "-draw", "rectangle 0,%d %d,%d" % (h - 3, w - 1, h - 1)]
    mark = [*disc_args(16, ACCENT, ACCENT_LIGHT), "-geometry", "+8+5", "-composite"]
    convert(*title_bar(w, h), *frame, *mark, *png_out(path))


def make_dialog_skin(path, w, h):
    # Shown cut to each window's own size, so nothing may depend on the right or bottom edge.
    convert(*title_bar(w, h), *png_out(path))


def make_panel(path, w, h):
    # Black captions are drawn straight onto this, so it stays pale and nearly flat.
    convert("-size", "%dx%d" % (w, h), "gradient:#FFFFFF-#F3F6FA", "-type", "TrueColor",
            "-strip", "-interlace", "none", "-sampling-factor", "2x2", "-quality", "92", path)


def make_icon(path):
    with tempfile.TemporaryDirectory() as tmp:
        sizes = []
        for s in (48, 32, 16):
            part = os.path.join(tmp, "%d.png" % s)
            convert(*disc_args(s, ACCENT, ACCENT_LIGHT), *png_out(part))
            sizes.append(part)
        convert(*sizes, path)


def make_mark(path, size):
    # The program's disc as a plain picture, for windows that show it beside their text.
    convert(*disc_args(size, ACCENT, ACCENT_LIGHT), *png_out(path))


def file_name(name, kind):
    return name + {"panel": ".jpg", "icon": ".ico"}.get(kind, ".png")


def make(name, kind, w, h, caption):
    path = os.path.join(OUT, file_name(name, kind))
    if kind == "skin":
        make_skin(path, w, h)
    elif kind == "dialog_skin":
        make_dialog_skin(path, w, h)
    elif kind == "panel":
        make_panel(path, w, h)
    elif kind == "button":
        make_button(path, w, h, caption, BUTTON_STATES)
    elif kind == "primary_button":
        make_button(path, w, h, caption, PRIMARY_STATES)
    elif kind.startswith("title_"):
        make_title_button(path, kind, w, h)
    elif kind == "icon":
        make_icon(path)
    elif kind == "mark":
        make_mark(path, w)
    else:
        sys.exit("make-pictures: unknown kind %s for %s" % (kind, name))
    return path


def write_rc():
    lines = ["// Made by scripts/make-pictures.sh; edit the table there, not this file."]
    for name, kind, _, _, _ in PICTURES:
        f = file_name(name, kind)
        if kind == "icon":
            lines.append('1 ICON "pictures/%s"' % f)
        else:
            lines.append('%s RCDATA "pictures/%s"' % (name.upper(), f))
    with open(os.path.join(ASSETS, "pictures.rc"), "w", newline="\n") as rc:
        rc.write("\n".join(lines) + "\n")


def write_sheet(paths, sheet):
    # Every picture at 1:1 on a mid grey, so that alpha edges and pale pictures both show.
    convert("-background", "#8A939C", *[p + ("[0]" if p.endswith(".ico") else "") for p in paths],
            "-bordercolor", "#8A939C", "-border", "6", "-gravity", "west", "-append", sheet)


def main():
    global FONT
    parser = argparse.ArgumentParser(description="Draw the program's pictures.")
    parser.add_argument("--sheet", help="also write a contact sheet of every picture to this file")
    opts = parser.parse_args()
    FONT = find_font()
    os.makedirs(OUT, exist_ok=True)
    names = [n for n, *_ in PICTURES]
    if len(set(names)) != len(names) or any(not n.isascii() or n != n.lower() for n in names):
        sys.exit("make-pictures: picture names must be unique lower-case ASCII")
    paths = [make(*row) for row in PICTURES]
    write_rc()
    made = {os.path.basename(p) for p in paths}
    for stray in sorted(set(os.listdir(OUT)) - made):
        print("make-pictures: %s is in %s but no row makes it" % (stray, OUT), file=sys.stderr)
    if opts.sheet:
        write_sheet(paths, opts.sheet)
    print("make-pictures: %d pictures in %s" % (len(paths), OUT))


if __name__ == "__main__":
    main()
