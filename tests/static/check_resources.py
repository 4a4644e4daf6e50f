#!/usr/bin/env python3
"""Checks the applet's resources: dialog templates, string table, icon, version.

Usage:
    check_resources.py [options] PATH

PATH is one of
  - the resource script (RCPANEL48.rc): compiled and decompiled with windres;
  - a compiled .res file (windres -O res) or COFF object (.o/.obj, windres
    -O coff): decompiled with windres;
  - text that windres decompiled already (windres -i X.res -O rc).

Options:
  --windres PROGRAM   windres to run (default: $WINDRES, else the first of
                      i686-w64-mingw32-windres, x86_64-w64-mingw32-windres,
                      windres found on PATH)
  -I DIR              include directory for compiling a .rc (repeatable; the
                      .rc's own folder and the tree's version/ folder are
                      always searched)
  --header PATH       resource.h with the ids (default: the tree's
                      applet/res/resource.h)

Checks: dialog sizes, styles, fonts and captions; every control of every
template (id, kind, text, initial visibility, style bits); the profile
dialog's and About box's positions; every text in the string table and no
entry for the caption ids; each label's mnemonic reaching the field right
after it; radio button groups; tab stops; controls that overlap or leave
their dialog; texts that do not fit their controls (with the character
widths of MS Sans Serif 8 at 96 dpi); icon 2007 and the version resource.

Exit status 0 when everything holds, 1 with one line per failure, 2 when the
input cannot be read or compiled.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

# This file lives in tests/static/ of the tree.
ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, os.pardir)

# ---- window styles ----
WS_POPUP = 0x80000000
WS_CHILD = 0x40000000
WS_VISIBLE = 0x10000000
WS_DISABLED = 0x08000000
WS_CAPTION = 0x00C00000
WS_BORDER = 0x00800000
WS_VSCROLL = 0x00200000
WS_SYSMENU = 0x00080000
WS_GROUP = 0x00020000
WS_TABSTOP = 0x00010000
DS_MODALFRAME = 0x80
DS_SETFONT = 0x40
DS_CONTEXTHELP = 0x2000
ES_AUTOHSCROLL = 0x80
CBS_DROPDOWNLIST = 0x3
SS_TYPEMASK = 0x1F
SS_CENTER, SS_RIGHT, SS_ICON = 1, 2, 3
SS_SUNKEN = 0x1000
BS_TYPEMASK = 0xF
BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_AUTOCHECKBOX = 0, 1, 3
BS_GROUPBOX, BS_AUTORADIOBUTTON = 7, 9

CLASS_NUMBERS = {128: "button", 129: "edit", 130: "static", 131: "listbox", 133: "combobox"}

# ---- text widths ----
# Advance widths in pixels of MS Sans Serif 8 at 96 dpi (13 pixels high). Its
# dialog base units are 6 x 13 pixels, so 4 horizontal dialog units are 6
# pixels and 8 vertical ones 13.
CHAR_PIXELS = dict(
    zip(
        " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`"
        "abcdefghijklmnopqrstuvwxyz{|}~",
        [3, 3, 5, 7, 6, 8, 6, 2, 3, 3, 4, 6, 3, 3, 3, 5, 6, 6, 6, 6, 6, 6, 6, 6,
         6, 6, 3, 3, 6, 6, 6, 6, 11, 7, 7, 7, 8, 7, 6, 8, 8, 3, 5, 7, 6, 9, 8, 8,
         7, 8, 8, 7, 7, 8, 7, 11, 7, 7, 7, 3, 5, 3, 6, 6, 3, 6, 6, 6, 6, 6, 3, 6,
         6, 2, 2, 6, 2, 8, 6, 6, 6, 6, 3, 5, 3, 6, 6, 8, 5, 5, 5, 4, 2, 4, 7],
    )
)
# Wine draws the face with a substitute about 4 % wider: keep 5 % spare.
WIDTH_SPARE = 1.05
LINE_UNITS = 8  # one line of text, in vertical dialog units
BOX_UNITS = 14  # check box or radio circle plus the gap before its text
BORDER_UNITS = 4  # a bordered, sunken static: edges and a little air
ARROW_UNITS = 12  # a combo box's drop-down button and the list's margins
BUTTON_UNITS = 6  # a push button's edges around its text
GROUP_CAPTION_UNITS = 10  # a group box's caption indent on both sides
COMBO_CLOSED_HEIGHT = 12  # a closed drop-down list; cy is the dropped height
ICON_UNITS = (21, 20)  # a 32-pixel icon, when the template leaves the size 0


def display_text(text):
    """The text as drawn: '&x' underlines x, '&&' draws one '&'."""
    return text.replace("&&", "\0").replace("&", "").replace("\0", "&")


def text_units(line):
    pixels = sum(CHAR_PIXELS.get(c, 8) for c in display_text(line))
    return pixels * WIDTH_SPARE * 4 / 6


def mnemonic(text):
    match = re.search(r"(?<!&)&([^&])", text.replace("&&", ""))
    return match.group(1).lower() if match else None


# ---- what the templates must hold ----
# Kinds: static, edit, combo, check, radio, group, push, defpush, icon.
# Each control: (id, kind, text or None for "not fixed", visible).
PROFILE_CONTROLS = [
    (-1, "group", "Select Profile", True),
    (2106, "radio", "", True),
    (1105, "edit", None, True),
    (2100, "combo", None, True),
    (2107, "radio", "", True),
    (1106, "edit", None, True),
    (2101, "combo", None, True),
    (2108, "radio", "", True),
    (1107, "edit", None, True),
    (2102, "combo", None, True),
    (2109, "radio", "", True),
    (1108, "edit", None, True),
    (2103, "combo", None, True),
    (2110, "push", "&Edit Profile", True),
    (1, "defpush", "&OK", True),
    (2, "push", "&Cancel", True),
    (9, "push", "&Help", True),
]

ABOUT_CONTROLS = [
    (-1, "icon", None, True),
    (1005, "static", None, True),
    (1, "defpush", "OK", True),
]

BASIC_CONTROLS = [
    (2135, "static", "&Network Name", True),
    (2111, "edit", None, True),
    (2137, "check", "&Enable Data Security", False),
    (2125, "static", "&Encryption Key", False),
    (2115, "edit", None, False),
    (2129, "static", None, True),
]

ENCRYPTION_CONTROLS = [
    (2112, "check", "&Enable Data Security", True),
    (-1, "static", "En&crypt data transmission using", True),
    (2120, "combo", None, True),
    (-1, "group", "Encryption Keys", True),
    (2113, "radio", "Use &Alphanumeric Characters (0-9, a-z)", True),
    (2114, "radio", "Use &Hexadecimal (0-9, a-f)", True),
    (-1, "static", "Key &1", True),
    (2116, "edit", None, True),
    (-1, "static", "Key &2", True),
    (2117, "edit", None, True),
    (-1, "static", "Key &3", True),
    (2118, "edit", None, True),
    (-1, "static", "Key &4", True),
    (2119, "edit", None, True),
]

ADVANCED_CONTROLS = [
    (-1, "group", "Card Power Management", True),
    (2121, "radio", "O&ff   (default power consumption and high performance)", True),
    (2122, "radio", "&On   (lower power consumption and performance)", True),
    (-1, "group", "Interference Robustness", True),
    (2123, "radio", "O&ff   (default)", True),
    (2124, "radio", "&On   (use in case of interference from microwave ovens)", True),
    (-1, "group", "RTS/CTS Medium Reservation", True),
    (1117, "radio", "O&ff   (default)", True),
    (1118, "radio", "&On   (use when troubleshooting poor performance)", True),
]

ADMIN_CONTROLS = [
    (-1, "group", "Distance between Access Points", True),
    (1100, "radio", "&Large (default)", True),
    (1101, "radio", "&Medium", True),
    (1102, "radio", "&Small", True),
    (2134, "group", "MAC Address", False),
    (1103, "radio", "&Default", False),
    (1104, "radio", "&Network Assigned", False),
    (2126, "edit", None, False),
    (2130, "static", None, True),
]

ADAPTER_CONTROLS = [
    (-1, "static", "I/O &Base Address", True),
    (2127, "combo", None, True),
    (-1, "static", "&Interrupt", True),
    (2128, "combo", None, True),
    (2131, "static", None, True),
]

MODAL = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT
PAGE = WS_CHILD | WS_DISABLED | WS_CAPTION | DS_SETFONT

# id: (name, width, height, style that must be set, caption, controls)
DIALOGS = {
    1200: ("profile dialog", 233, 183, MODAL | DS_CONTEXTHELP,
           "Add/Edit Configuration Profile", PROFILE_CONTROLS),
    1206: ("About box", 186, 69, MODAL, "About", ABOUT_CONTROLS),
    1201: ("Basic page", 220, 140, PAGE, None, BASIC_CONTROLS),
    1203: ("Encryption page", 220, 140, PAGE, None, ENCRYPTION_CONTROLS),
    1204: ("Advanced page", 220, 140, PAGE, None, ADVANCED_CONTROLS),
    1205: ("Admin page", 220, 140, PAGE, None, ADMIN_CONTROLS),
    1207: ("Adapter page", 221, 138, PAGE, None, ADAPTER_CONTROLS),
}

# Radio sets, each one group of its dialog, in template order. A set's group
# ends at its last button, so the control after it carries WS_GROUP; the one
# exception is the profile dialog, whose set runs through the rows' edits and
# lists and ends after row 4's list.
RADIO_SETS = {
    1200: [[2106, 2107, 2108, 2109]],
    1203: [[2113, 2114]],
    1204: [[2121, 2122], [2123, 2124], [1117, 1118]],
    1205: [[1100, 1101, 1102], [1103, 1104]],
}
RADIO_SET_TAILS = {(1200, 2106): [1108, 2103]}

# Fixed positions (x, y, width, height); a pair (low, high) allows a range.
PROFILE_POSITIONS = {
    ("group", -1): (4, 7, 225, 132),
    2106: (8, 21, (13, 14), 10),
    2107: (8, 44, (13, 14), 10),
    2108: (8, 67, (13, 14), 10),
    2109: (8, 90, (13, 14), 10),
    1105: (21, 19, 99, 12),
    1106: (21, 42, 99, 12),
    1107: (21, 65, 99, 12),
    1108: (21, 88, 99, 12),
    2100: (131, 19, 90, (60, 65)),
    2101: (131, 42, 90, (60, 65)),
    2102: (131, 65, 90, (60, 65)),
    2103: (131, 88, 90, (60, 65)),
    2110: (170, 115, 50, 15),
    1: (71, 164, 50, 14),
    2: (125, 164, 50, 14),
    9: (179, 164, 50, 14),
}
ABOUT_POSITIONS = {
    ("icon", -1): (9, 9, None, None),
    1005: (35, 14, 144, 8),
    1: (69, 48, None, None),
}

# Strings loaded into controls at run time: (dialog, control) -> string ids.
CONTROL_TEXTS = {
    (1201, 2129): [1461, 1462, 1463, 1466],
    (1205, 2130): [1464],
    (1207, 2131): [1465],
}
COMBO_ITEMS = {
    (1200, 2100): [1449, 1451],
    (1200, 2101): [1449, 1451],
    (1200, 2102): [1449, 1451],
    (1200, 2103): [1449, 1451],
    (1203, 2120): list(range(1414, 1418)),
    (1207, 2127): list(range(1500, 1548)),
    (1207, 2128): list(range(1440, 1449)),
}
ABOUT_LINE = "RCPANEL48.CPL Variant 1, Version 6.41"

IO_BASE_TABLE = [
    0x180, 0x1C0, 0x200, 0x280, 0x300, 0x380, 0x400, 0x440, 0x480, 0x4C0, 0x500, 0x540,
    0x580, 0x5C0, 0x600, 0x640, 0x680, 0x6C0, 0x700, 0x740, 0x780, 0x7C0, 0x800, 0x900,
    0xA00, 0xB00, 0xC00, 0xD00, 0xE00, 0xF00, 0x1000, 0x1400, 0x1800, 0x1C00, 0x2000,
    0x3000, 0x4000, 0x5000, 0x6000, 0x7000, 0x8000, 0x9000, 0xA000, 0xB000, 0xC000,
    0xD000, 0xE000, 0xF000,
]
INTERRUPT_TABLE = [3, 4, 5, 7, 9, 10, 11, 12, 15]
NETWORK_TYPES = ["Access Point", "Residential Gateway", "Peer-to-Peer Group",
                 "Act as BaseStation", "Internet Access Server", "Office Router Client",
                 "Ad-Hoc Demo mode"]

STRINGS = {
    1300: "Basic",
    1301: "Advanced",
    1302: "Admin",
    1303: "Calyx",
    1305: "Encryption",
    1306: "Adapter",
    1309: "Calyx Control Panel Applet",
    1310: "Enter a profile name with a maximum of 32 printable characters.",
    1311: "You can only select a specified Encryption key.",
    1312: "You must restart your computer before the new settings will take effect."
          "\n\nDo you want to restart your computer now?",
    1313: "Enter a key or disable Data Security",
    1315: "Please enter a valid Local MAC Address.\nExample: 02601D03BC3A",
    1316: "Use 5 printable characters (or 13 with ",
    1317: "You must restart your computer before the new settings will take effect.",
    1318: "Use 10 hex digits (or 26 with ",
    1319: "Edit Configuration",
    1322: "Enter a Network name with a maximum of 32 printable characters.",
    1323: "NetWork Name must be 6 characters!",
    1327: "Encryption must be 5 characters!",
    1329: "The driver has the wrong version!\n\nPlease reinstall the driver.",
    1333: "Only disable Data Security in combination with the RG Softreset!",
    1334: "Network Name 'ANY' is not valid in a Peer-to-Peer Group profile.",
    1414: "Key 1",
    1415: "Key 2",
    1416: "Key 3",
    1417: "Key 4",
    1461: " For Network Name enter the 6-character ID printed\n on a label on the back of your"
          " Residential Gateway.\n\n The default Encryption Key equals the last 5 characters\n"
          " of the Network Name.",
    1462: " The Network Name should match the Network Name\n value of the Access Point(s).\n\n"
          " Consult your LAN administrator for the correct value.",
    1463: " To connect to a Peer-to-Peer workgroup, all workgroup\n participants should use the"
          " same Network Name value. ",
    1464: " This tab should only be used by LAN administrators to view or\n modify specific"
          " settings that may apply for your network\n infrastructure.",
    1465: " Use this tab to view or modify the hardware settings of your\n wireless PC Card, in"
          " case of hardware conflicts.",
    1466: " The Network Name is the name of the network you\n are creating with this profile.",
}
STRINGS.update({1440 + i: str(n) for i, n in enumerate(INTERRUPT_TABLE)})
STRINGS.update({1449 + i: name for i, name in enumerate(NETWORK_TYPES)})
STRINGS.update({1500 + i: "%X" % a for i, a in enumerate(IO_BASE_TABLE)})
CAPTION_IDS = range(2245, 2254)

VERSION_VALUES = {
    "CompanyName": "Orvix",
    "FileDescription": "Calyx wireless adapter Control Panel applet",
    "InternalName": "RCPANEL48",
    "OriginalFilename": "RCPANEL48.CPL",
    "ProductName": "Calyx PC Card",
}
VFT_DLL = 2


class Control:
    def __init__(self, keyword, text, cid, cls, style, x, y, w, h, line):
        self.keyword, self.text, self.id, self.cls = keyword, text, cid, cls
        self.style, self.x, self.y, self.w, self.h, self.line = style, x, y, w, h, line
        self.kind = self._kind()

    def _kind(self):
        if self.cls == "button":
            t = self.style & BS_TYPEMASK
            return {BS_PUSHBUTTON: "push", BS_DEFPUSHBUTTON: "defpush",
                    BS_AUTOCHECKBOX: "check", BS_GROUPBOX: "group",
                    BS_AUTORADIOBUTTON: "radio"}.get(t, "button%d" % t)
        if self.cls == "static":
            return "icon" if (self.style & SS_TYPEMASK) == SS_ICON else "static"
        if self.cls == "combobox":
            return "combo"
        return self.cls

    def visible(self):
        return bool(self.style & WS_VISIBLE)

    def has(self, bits):
        return (self.style & bits) == bits

    def rect(self):
        w, h = self.w, self.h
        if self.kind == "icon" and w == 0 and h == 0:
            w, h = ICON_UNITS
        if self.kind == "combo":
            h = COMBO_CLOSED_HEIGHT
        return (self.x, self.y, self.x + w, self.y + h)

    def name(self):
        label = "" if self.text in (None, "") else " %r" % self.text
        return "%s %d%s" % (self.kind, self.id, label)

    def focusable(self):
        return self.kind in ("edit", "combo", "check", "radio", "push", "defpush", "listbox")


class Dialog:
    def __init__(self, did, x, y, w, h):
        self.id, self.x, self.y, self.w, self.h = did, x, y, w, h
        self.style = None
        self.caption = None
        self.font = None
        self.controls = []


# ---- reading windres output ----

def unquote(token):
    """A string literal of windres output, quotes included, as its text."""
    body = token[1:-1]
    out = []
    i = 0
    escapes = {"n": "\n", "t": "\t", "r": "\r", "a": "\a", "b": "\b", "f": "\f",
               "v": "\v", "\\": "\\", '"': '"', "'": "'"}
    while i < len(body):
        c = body[i]
        if c == "\\" and i + 1 < len(body):
            n = body[i + 1]
            if n in escapes:
                out.append(escapes[n])
                i += 2
                continue
            m = re.match(r"[0-7]{1,3}", body[i + 1:])
            if m:
                out.append(chr(int(m.group(0), 8)))
                i += 1 + len(m.group(0))
                continue
            if n == "x":
                m = re.match(r"[0-9a-fA-F]+", body[i + 2:])
                if m:
                    out.append(chr(int(m.group(0), 16)))
                    i += 2 + len(m.group(0))
                    continue
        if c == '"' and i + 1 < len(body) and body[i + 1] == '"':
            out.append('"')
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


TOKEN = re.compile(r'"(?:[^"\\]|\\.|"")*"|[^,\s][^,]*')


def split_fields(rest):
    fields = []
    for part in TOKEN.findall(rest):
        part = part.strip()
        if part:
            fields.append(part)
    return fields


def number(field):
    field = field.strip().rstrip("Ll")
    value = int(field, 0)
    return value


def signed_id(value):
    return -1 if value == 0xFFFF else value


def parse_control(line, lineno):
    m = re.match(r"\s*([A-Z]+)\s+(.*)$", line)
    keyword, rest = m.group(1), m.group(2)
    f = split_fields(rest)
    if keyword == "CONTROL":
        text = unquote(f[0]) if f[0].startswith('"') else f[0]
        cid = signed_id(number(f[1]))
        cls = f[2]
        cls = unquote(cls).lower() if cls.startswith('"') else CLASS_NUMBERS.get(number(cls), cls)
        style = number(f[3])
        x, y, w, h = (number(v) for v in f[4:8])
        return Control(keyword, text, cid, cls, style, x, y, w, h, lineno)
    if keyword in ("EDITTEXT", "COMBOBOX", "LISTBOX"):
        cid = signed_id(number(f[0]))
        x, y, w, h = (number(v) for v in f[1:5])
        style = number(f[5])
        cls = {"EDITTEXT": "edit", "COMBOBOX": "combobox", "LISTBOX": "listbox"}[keyword]
        return Control(keyword, None, cid, cls, style, x, y, w, h, lineno)
    text = unquote(f[0]) if f[0].startswith('"') else f[0]
    cid = signed_id(number(f[1]))
    x, y, w, h = (number(v) for v in f[2:6])
    style = number(f[6])
    cls = "static" if keyword in ("LTEXT", "RTEXT", "CTEXT", "ICON") else "button"
    return Control(keyword, text, cid, cls, style, x, y, w, h, lineno)


def parse(text):
    dialogs = {}
    strings = {}
    string_lines = {}
    group_icons = {}
    version = {"values": {}, "filetype": None, "fileversion": None}
    lines = text.splitlines()
    i = 0
    while i < len(lines):
        line = lines[i]
        m = re.match(r"^(\d+)\s+DIALOG(?:EX)?\b(.*)$", line)
        if m:
            nums = re.findall(r"-?\d+", m.group(2))
            x, y, w, h = (int(v) for v in nums[-4:])
            dialog = Dialog(int(m.group(1)), x, y, w, h)
            i += 1
            while i < len(lines) and lines[i].strip() != "BEGIN":
                head = lines[i].strip()
                if head.startswith("STYLE"):
                    dialog.style = number(head.split(None, 1)[1])
                elif head.startswith("CAPTION"):
                    dialog.caption = unquote(head.split(None, 1)[1])
                elif head.startswith("FONT"):
                    fm = re.match(r'FONT\s+(\d+)\s*,\s*("(?:[^"\\]|\\.)*")', head)
                    dialog.font = (int(fm.group(1)), unquote(fm.group(2)))
                i += 1
            i += 1
            while i < len(lines) and lines[i].strip() != "END":
                if lines[i].strip():
                    dialog.controls.append(parse_control(lines[i], i + 1))
                i += 1
            dialogs[dialog.id] = dialog
        elif re.match(r"^STRINGTABLE\b", line):
            i += 1
            while i < len(lines) and lines[i].strip() != "END":
                sm = re.match(r'^\s*(\d+),?\s*("(?:[^"\\]|\\.|"")*")\s*$', lines[i])
                if sm:
                    sid = int(sm.group(1))
                    strings[sid] = unquote(sm.group(2))
                    string_lines[sid] = i + 1
                i += 1
        elif re.match(r"^(\d+)\s+14\b", line):
            gid = int(line.split()[0])
            entries = []
            i += 1
            while i < len(lines) and lines[i].strip() != "END":
                em = re.match(r'^\s*"((?:\\[0-7]{3}){4})",\s*(\d+),\s*(\d+)', lines[i])
                if em:
                    octets = [int(o, 8) for o in re.findall(r"\\([0-7]{3})", em.group(1))]
                    entries.append((octets[0] or 256, octets[1] or 256, int(em.group(3))))
                i += 1
            group_icons[gid] = entries
        elif re.match(r"^\d+\s+VERSIONINFO\b", line):
            i += 1
            while i < len(lines) and not re.match(r"^END\b", lines[i]):
                vline = lines[i].strip()
                vm = re.match(r'VALUE\s+"([^"]*)",\s*("(?:[^"\\]|\\.)*")', vline)
                if vm:
                    version["values"][vm.group(1)] = unquote(vm.group(2)).rstrip("\0")
                elif vline.startswith("FILETYPE"):
                    version["filetype"] = number(vline.split()[1])
                elif vline.startswith("FILEVERSION"):
                    version["fileversion"] = tuple(int(v) for v in re.findall(r"\d+", vline))
                i += 1
        i += 1
    return dialogs, strings, string_lines, group_icons, version


# ---- getting windres output ----

def find_windres(explicit):
    if explicit:
        return explicit
    if os.environ.get("WINDRES"):
        return os.environ["WINDRES"]
    for name in ("i686-w64-mingw32-windres", "x86_64-w64-mingw32-windres", "windres"):
        path = shutil.which(name)
        if path:
            return path
    return None


def run(cmd):
    result = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            universal_newlines=True)
    if result.returncode != 0:
        sys.stderr.write("check_resources: %s failed:\n%s" % (" ".join(cmd), result.stderr))
        sys.exit(2)
    return result.stdout


def decompiled_text(path, windres, includes):
    with open(path, "rb") as f:
        head = f.read(4096)
    lower = path.lower()
    compiled = lower.endswith((".res", ".o", ".obj")) or b"\0" in head
    source = not compiled and re.search(rb"^\s*#\s*include\b", head, re.M) is not None
    if not compiled and not source:
        with open(path, encoding="latin-1") as f:
            return f.read()
    tool = find_windres(windres)
    if not tool:
        sys.stderr.write("check_resources: no windres found (use --windres)\n")
        sys.exit(2)
    with tempfile.TemporaryDirectory() as tmp:
        if source:
            res = os.path.join(tmp, "check.res")
            cmd = [tool]
            dirs = [os.path.dirname(os.path.abspath(path)),
                    os.path.join(ROOT, "version")] + includes
            for d in dirs:
                cmd += ["-I", d]
            run(cmd + [path, "-O", "res", "-o", res])
            return run([tool, "-J", "res", "-i", res, "-O", "rc"])
        kind = "res" if lower.endswith(".res") else "coff"
        return run([tool, "-J", kind, "-i", path, "-O", "rc"])


def read_header(path):
    ids = {}
    with open(path) as f:
        for line in f:
            m = re.match(r"\s*#\s*define\s+(\w+)\s+(-?\d+|0x[0-9a-fA-F]+)\b", line)
            if m:
                ids[m.group(1)] = int(m.group(2), 0)
    return ids


# ---- the checks ----

class Report:
    def __init__(self):
        self.failures = []

    def fail(self, where, message):
        self.failures.append("%s: %s" % (where, message))


def expect_value(actual, expected):
    if expected is None:
        return True
    if isinstance(expected, tuple):
        return expected[0] <= actual <= expected[1]
    return actual == expected


def check_dialog(report, dialog, layout):
    name, width, height, style, caption, expected = layout
    where = "dialog %d (%s)" % (dialog.id, name)
    if (dialog.w, dialog.h) != (width, height):
        report.fail(where, "size %d x %d, expected %d x %d" % (dialog.w, dialog.h, width, height))
    if dialog.style is None or (dialog.style & style) != style:
        report.fail(where, "style 0x%08X lacks 0x%08X" % (dialog.style or 0, style & ~(dialog.style or 0)))
    if style & WS_CHILD and dialog.style is not None and dialog.style & (WS_POPUP | WS_VISIBLE):
        report.fail(where, "a page template must not be a popup or visible")
    if caption is not None and dialog.caption != caption:
        report.fail(where, "caption %r, expected %r" % (dialog.caption, caption))
    if caption is None and dialog.caption:
        report.fail(where, "a page has no caption of its own, found %r" % dialog.caption)
    if dialog.font != (8, "MS Sans Serif"):
        report.fail(where, "font %r, expected 8 'MS Sans Serif'" % (dialog.font,))

    for index in range(max(len(expected), len(dialog.controls))):
        want = expected[index] if index < len(expected) else None
        have = dialog.controls[index] if index < len(dialog.controls) else None
        if want is None:
            report.fail(where, "unexpected control %s" % have.name())
            continue
        if have is None:
            report.fail(where, "missing control %r" % (want,))
            continue
        wid, wkind, wtext, wvisible = want
        problems = []
        if have.id != wid:
            problems.append("id %d, expected %d" % (have.id, wid))
        if have.kind != wkind:
            problems.append("kind %s, expected %s" % (have.kind, wkind))
        if wtext is not None and have.text != wtext:
            problems.append("text %r, expected %r" % (have.text, wtext))
        if have.visible() != wvisible:
            problems.append("initially %s, expected %s" % (
                "visible" if have.visible() else "hidden", "visible" if wvisible else "hidden"))
        if problems:
            report.fail(where, "control %d in template order (%s): %s" % (
                index + 1, have.name(), "; ".join(problems)))

    for c in dialog.controls:
        cw = "%s, %s" % (where, c.name())
        # The logic enables and disables controls itself, from an enabled
        # start; the native tests' fake window starts every control so too.
        if c.has(WS_DISABLED):
            report.fail(cw, "starts disabled")
        if c.kind == "edit" and not c.has(ES_AUTOHSCROLL):
            report.fail(cw, "edit without ES_AUTOHSCROLL")
        if c.kind == "edit" and not c.has(WS_BORDER):
            report.fail(cw, "edit without a border")
        if c.kind == "combo" and ((c.style & 0x3) != CBS_DROPDOWNLIST or not c.has(WS_VSCROLL)):
            report.fail(cw, "expected a drop-down list with a vertical scroll bar")
        if c.kind == "static" and c.id in (2129, 2130, 2131):
            if not c.has(SS_SUNKEN | WS_BORDER):
                report.fail(cw, "help text area must be sunken and bordered")
        if dialog.id == 1207 and c.kind == "static" and c.text:
            if (c.style & SS_TYPEMASK) != SS_RIGHT:
                report.fail(cw, "label must be right-aligned")
        if dialog.id == 1206 and c.id == 1005 and (c.style & SS_TYPEMASK) != SS_CENTER:
            report.fail(cw, "the About line must be centred")


def check_positions(report, dialog, positions):
    where = "dialog %d" % dialog.id
    for key, want in positions.items():
        if isinstance(key, tuple):
            kind, cid = key
            found = [c for c in dialog.controls if c.kind == kind and c.id == cid]
        else:
            found = [c for c in dialog.controls if c.id == key]
        if len(found) != 1:
            report.fail(where, "expected one control %r to check its position" % (key,))
            continue
        c = found[0]
        have = (c.x, c.y, c.w, c.h)
        if not all(expect_value(a, e) for a, e in zip(have, want)):
            report.fail("%s, %s" % (where, c.name()),
                        "at %d, %d, %d x %d; expected %s" % (have + (want,)))


def check_keyboard(report, dialog):
    where = "dialog %d" % dialog.id
    controls = dialog.controls
    # A label's mnemonic reaches the field that follows it.
    for index, c in enumerate(controls):
        if c.kind == "static" and c.text and mnemonic(c.text):
            following = controls[index + 1] if index + 1 < len(controls) else None
            if following is None or following.kind not in ("edit", "combo", "listbox"):
                report.fail("%s, %s" % (where, c.name()),
                            "a label with a mnemonic must stand just before its field, found %s"
                            % (following.name() if following else "the end of the template"))
    # Mnemonics of the focusable controls themselves reach a control.
    for c in controls:
        if c.text and "&" in c.text and not mnemonic(c.text):
            report.fail("%s, %s" % (where, c.name()), "a '&' that marks no character")

    # Groups: runs of controls from one WS_GROUP control to the next.
    groups = []
    current = []
    for c in controls:
        if c.style & WS_GROUP and current:
            groups.append(current)
            current = []
        current.append(c)
    if current:
        groups.append(current)
    found_sets = []
    for group in groups:
        radios = [c for c in group if c.kind == "radio"]
        if not radios:
            continue
        found_sets.append([c.id for c in radios])
        if group[0].kind != "radio" or not group[0].style & WS_GROUP:
            report.fail("%s, %s" % (where, group[0].name()),
                        "a radio set must begin with a button that has WS_GROUP, not with %s"
                        % group[0].name())
        if not radios[0].has(WS_TABSTOP):
            report.fail("%s, %s" % (where, radios[0].name()),
                        "the first button of a set is the set's tab stop")
        for r in radios[1:]:
            if r.style & WS_TABSTOP:
                report.fail("%s, %s" % (where, r.name()),
                            "only the first button of a set is a tab stop")
        last = max(i for i, c in enumerate(group) if c.kind == "radio")
        tail = [c.id for c in group[last + 1:]]
        allowed = RADIO_SET_TAILS.get((dialog.id, radios[0].id), [])
        if tail != allowed:
            n = len(allowed)
            at = last + 1 + n if tail[:n] == allowed else last + 1
            after = group[min(at, len(group) - 1)]
            report.fail("%s, %s" % (where, after.name()),
                        "the first control after a radio set needs WS_GROUP")
    expected_sets = RADIO_SETS.get(dialog.id, [])
    if found_sets != expected_sets:
        report.fail(where, "radio sets %r, expected %r (WS_GROUP on each set's first button "
                    "and on the first control after it)" % (found_sets, expected_sets))

    for c in controls:
        if c.kind in ("edit", "combo", "check", "push", "defpush", "listbox") \
                and not c.style & WS_TABSTOP:
            report.fail("%s, %s" % (where, c.name()), "focusable control without WS_TABSTOP")
        if c.kind in ("static", "group", "icon") and c.style & WS_TABSTOP:
            report.fail("%s, %s" % (where, c.name()), "a %s is no tab stop" % c.kind)


def inside(inner, outer):
    return (outer[0] <= inner[0] and outer[1] <= inner[1]
            and inner[2] <= outer[2] and inner[3] <= outer[3])


def intersects(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def check_geometry(report, dialog):
    where = "dialog %d" % dialog.id
    bounds = (0, 0, dialog.w, dialog.h)
    for c in dialog.controls:
        r = c.rect()
        if not inside(r, bounds):
            report.fail("%s, %s" % (where, c.name()),
                        "rectangle %r leaves the %d x %d dialog" % (r, dialog.w, dialog.h))
        if c.w < 0 or c.h < 0:
            report.fail("%s, %s" % (where, c.name()), "negative size")
    for i, a in enumerate(dialog.controls):
        for b in dialog.controls[i + 1:]:
            ra, rb = a.rect(), b.rect()
            if not intersects(ra, rb):
                continue
            if a.kind == "group" and inside(rb, ra) or b.kind == "group" and inside(ra, rb):
                continue
            report.fail(where, "%s %r overlaps %s %r" % (a.name(), ra, b.name(), rb))


def lines_fit(report, where, lines, width, height, bordered):
    margin = BORDER_UNITS if bordered else 0
    widest = max(text_units(line) for line in lines)
    if widest + margin > width:
        report.fail(where, "text %.1f dialog units wide does not fit in %d" % (widest + margin, width))
    need = len(lines) * LINE_UNITS + (BORDER_UNITS if bordered else 0)
    if need > height:
        report.fail(where, "%d lines need %d dialog units of height, have %d"
                    % (len(lines), need, height))


def check_text_fit(report, dialog, strings):
    where = "dialog %d" % dialog.id
    for c in dialog.controls:
        cw = "%s, %s" % (where, c.name())
        if c.kind == "static" and c.text:
            lines_fit(report, cw, c.text.split("\n"), c.w, c.h, False)
        elif c.kind in ("check", "radio"):
            if c.h < 10:
                report.fail(cw, "height %d is below 10" % c.h)
            if c.text and text_units(c.text) + BOX_UNITS > c.w:
                report.fail(cw, "text needs %.1f dialog units, has %d"
                            % (text_units(c.text) + BOX_UNITS, c.w))
        elif c.kind in ("push", "defpush") and c.text:
            if text_units(c.text) + BUTTON_UNITS > c.w:
                report.fail(cw, "caption needs %.1f dialog units, has %d"
                            % (text_units(c.text) + BUTTON_UNITS, c.w))
        elif c.kind == "group" and c.text:
            if text_units(c.text) + GROUP_CAPTION_UNITS > c.w:
                report.fail(cw, "caption needs %.1f dialog units, has %d"
                            % (text_units(c.text) + GROUP_CAPTION_UNITS, c.w))
        elif c.kind == "edit" and c.h < 12:
            report.fail(cw, "an edit needs 12 dialog units of height, has %d" % c.h)
        for sid in CONTROL_TEXTS.get((dialog.id, c.id), []):
            if sid in strings:
                lines_fit(report, "%s with string %d" % (cw, sid), strings[sid].split("\n"),
                          c.w, c.h, True)
        items = COMBO_ITEMS.get((dialog.id, c.id))
        if items:
            texts = [strings[s] for s in items if s in strings]
            if texts:
                widest = max(text_units(t) for t in texts)
                if widest + ARROW_UNITS > c.w:
                    report.fail(cw, "list items need %.1f dialog units, has %d"
                                % (widest + ARROW_UNITS, c.w))
            visible_rows = (c.h - COMBO_CLOSED_HEIGHT) // LINE_UNITS
            if visible_rows < min(len(items), 2):
                report.fail(cw, "dropped height %d shows fewer than 2 items" % c.h)
        if dialog.id == 1206 and c.id == 1005:
            lines_fit(report, cw + " with the About line", [ABOUT_LINE], c.w, c.h, False)


def check_strings(report, strings, ids):
    for sid, text in sorted(STRINGS.items()):
        if sid not in strings:
            report.fail("string table", "no entry for %d (expected %r)" % (sid, text))
        elif strings[sid] != text:
            report.fail("string table", "string %d is %r, expected %r" % (sid, strings[sid], text))
    for sid in sorted(set(strings) - set(STRINGS)):
        report.fail("string table", "unexpected string %d %r" % (sid, strings[sid]))
    for sid in CAPTION_IDS:
        if sid in strings:
            report.fail("string table", "caption id %d must have no entry" % sid)

    # Every string id of resource.h has its text; ranges run from _FIRST to _LAST.
    wanted = set()
    for name, value in ids.items():
        if not name.startswith("IDS_") or name.startswith("IDS_CAPTION_"):
            continue
        wanted.add(value)
        if name.endswith("_FIRST"):
            last = ids.get(name[:-len("_FIRST")] + "_LAST")
            if last is None:
                report.fail("resource.h", "%s has no matching _LAST" % name)
            else:
                wanted.update(range(value, last + 1))
    for sid in sorted(wanted - set(strings) - set(STRINGS)):
        report.fail("string table", "id %d of resource.h has no text" % sid)
    for sid in CAPTION_IDS:
        if sid not in ids.values():
            report.fail("resource.h", "caption id %d not defined" % sid)


def check_header(report, ids):
    values = set(ids.values())
    for did, layout in DIALOGS.items():
        if did not in values:
            report.fail("resource.h", "dialog id %d not defined" % did)
        for cid, _, _, _ in layout[5]:
            if cid > 9 and cid not in values:
                report.fail("resource.h", "control id %d of dialog %d not defined" % (cid, did))
    for cid in (2007, 1600):
        if cid not in values:
            report.fail("resource.h", "id %d not defined" % cid)


def check_icon_and_version(report, group_icons, version, header_version):
    entries = group_icons.get(2007)
    if entries is None:
        report.fail("icon 2007", "missing")
    else:
        sizes = sorted((w, h) for w, h, _ in entries)
        for size in ((16, 16), (32, 32)):
            if size not in sizes:
                report.fail("icon 2007", "no %d x %d image" % size)
        for w, h, bits in entries:
            if bits > 8:
                report.fail("icon 2007", "%d x %d image has %d bits per pixel; Windows 95 shows "
                            "16 or 256 colours" % (w, h, bits))
    if version["filetype"] != VFT_DLL:
        report.fail("version", "FILETYPE %r, expected VFT_DLL" % version["filetype"])
    if header_version and version["fileversion"] != header_version:
        report.fail("version", "FILEVERSION %r, expected %r" % (version["fileversion"], header_version))
    for key, value in VERSION_VALUES.items():
        if version["values"].get(key) != value:
            report.fail("version", "%s is %r, expected %r" % (key, version["values"].get(key), value))
    if header_version:
        text = ".".join(str(n) for n in header_version)
        for key in ("FileVersion", "ProductVersion"):
            if version["values"].get(key) != text:
                report.fail("version", "%s is %r, expected %r" % (key, version["values"].get(key), text))


def read_version_numbers():
    path = os.path.join(ROOT, "version", "rc_version.h")
    try:
        with open(path) as f:
            text = f.read()
    except OSError:
        return None
    numbers = []
    for part in ("MAJOR", "MINOR", "RELEASE", "BUILD"):
        m = re.search(r"#define\s+RC_VERSION_%s\s+(\d+)" % part, text)
        if not m:
            return None
        numbers.append(int(m.group(1)))
    return tuple(numbers)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("path")
    parser.add_argument("--windres")
    parser.add_argument("-I", dest="includes", action="append", default=[])
    parser.add_argument("--header", default=os.path.join(ROOT, "applet", "res", "resource.h"))
    args = parser.parse_args()

    try:
        text = decompiled_text(args.path, args.windres, args.includes)
        ids = read_header(args.header)
    except OSError as error:
        sys.stderr.write("check_resources: %s\n" % error)
        return 2
    try:
        dialogs, strings, _, group_icons, version = parse(text)
    except (ValueError, IndexError, AttributeError) as error:
        sys.stderr.write("check_resources: cannot parse %s: %s\n" % (args.path, error))
        return 2

    if not dialogs and not strings:
        sys.stderr.write("check_resources: no dialogs and no strings in %s: expected a .rc, a "
                         ".res or windres -O rc output\n" % args.path)
        return 2

    report = Report()
    for did, layout in DIALOGS.items():
        if did not in dialogs:
            report.fail("dialog %d (%s)" % (did, layout[0]), "missing")
            continue
        dialog = dialogs[did]
        check_dialog(report, dialog, layout)
        check_keyboard(report, dialog)
        check_geometry(report, dialog)
        check_text_fit(report, dialog, strings)
    for did in sorted(set(dialogs) - set(DIALOGS)):
        report.fail("dialog %d" % did, "unexpected dialog")
    if 1200 in dialogs:
        check_positions(report, dialogs[1200], PROFILE_POSITIONS)
    if 1206 in dialogs:
        check_positions(report, dialogs[1206], ABOUT_POSITIONS)
    check_strings(report, strings, ids)
    check_header(report, ids)
    check_icon_and_version(report, group_icons, version, read_version_numbers())

    if report.failures:
        for failure in report.failures:
            print("check_resources: " + failure)
        print("check_resources: %d problem(s) in %s" % (len(report.failures), args.path))
        return 1
    print("check_resources: %s: %d dialogs, %d strings, icon and version as required"
          % (args.path, len(dialogs), len(strings)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
