#!/usr/bin/env python3
"""Checks an installed Morvane tree as a desktop sees it.

    check_tree.py ROOT VERSION

ROOT holds the tree under its prefix /usr (a DESTDIR, or a package unpacked with dpkg -x); VERSION is
the project's. Each file is checked against the others: the menu entry starts a program that is there,
and names an icon that is there at every size; the metainfo names that entry and those programs.
"""

import configparser
import os
import stat
import struct
import sys
import xml.etree.ElementTree as ET

failures = []


def fail(message):
    failures.append(message)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def read_desktop_entry(path):
    parser = configparser.ConfigParser(interpolation=None, strict=True)
    parser.optionxform = str  # keys are case-sensitive
    with open(path, encoding="utf-8") as f:
        parser.read_file(f)
    return parser["Desktop Entry"]


def main():
    root, version = sys.argv[1], sys.argv[2]
    usr = os.path.join(root, "usr")
    bindir = os.path.join(usr, "bin")

    outside = [entry for entry in os.listdir(root) if entry != "usr"]
    if outside:
        fail(f"installed outside the prefix /usr: {outside}")

    # The programs.
    programs = sorted(os.listdir(bindir))
    main_program = os.path.join(bindir, "Morvane")
    if not os.path.isfile(main_program) or not os.access(main_program, os.X_OK):
        fail("bin/Morvane is not an executable file")
    link = os.path.join(bindir, "morvane")
    if not os.path.islink(link) or os.readlink(link) != "Morvane":
        fail("bin/morvane is not a relative symbolic link to Morvane")
    for name in programs:
        mode = os.lstat(os.path.join(bindir, name)).st_mode
        if stat.S_ISREG(mode) and (mode & 0o777) != 0o755:
            fail(f"bin/{name} has mode {oct(mode & 0o777)}, not 0755")

    # The menu entry.
    applications = os.path.join(usr, "share", "applications")
    entries = sorted(os.listdir(applications))
    if len(entries) != 1 or not entries[0].endswith(".desktop"):
        fail(f"expected one desktop entry in share/applications, found {entries}")
        return
    desktop_file = entries[0]
    app_id = desktop_file[: -len(".desktop")]
    entry = read_desktop_entry(os.path.join(applications, desktop_file))
    if entry.get("Name") != "墨韵通":
        fail(f"Name is {entry.get('Name')!r}")
    if entry.get("GenericName") != "Chinese to Pinyin converter":
        fail(f"GenericName is {entry.get('GenericName')!r}")
    categories = entry.get("Categories", "").split(";")
    if "Education" not in categories or "Languages" not in categories:
        fail(f"Categories are {categories}")
    for key in ("Exec", "TryExec"):
        command = entry.get(key, "").split()
        if not command or not os.path.isfile(os.path.join(bindir, command[0])):
            fail(f"{key}={entry.get(key)!r} names no installed program")
    if entry.get("Icon") != app_id:
        fail(f"Icon={entry.get('Icon')!r} is not the entry's id {app_id}")

    # The icon, at each size the menus and docks ask for.
    hicolor = os.path.join(usr, "share", "icons", "hicolor")
    for size in (24, 48, 128):
        path = os.path.join(hicolor, f"{size}x{size}", "apps", f"{app_id}.png")
        if not os.path.isfile(path):
            fail(f"no {size}x{size} icon {app_id}.png")
        elif png_size(path) != (size, size):
            fail(f"the {size}x{size} icon is a PNG of {png_size(path)}")
    scalable = os.path.join(hicolor, "scalable", "apps", f"{app_id}.svg")
    try:
        if ET.parse(scalable).getroot().tag != "{http://www.w3.org/2000/svg}svg":
            fail("the scalable icon is not an SVG picture")
    except (OSError, ET.ParseError) as error:
        fail(f"the scalable icon: {error}")
    installed_sizes = sorted(os.listdir(hicolor))
    if installed_sizes != ["128x128", "24x24", "48x48", "scalable"]:
        fail(f"icon sizes installed: {installed_sizes}")

    # The metainfo.
    metainfo = os.path.join(usr, "share", "metainfo", f"{app_id}.metainfo.xml")
    try:
        component = ET.parse(metainfo).getroot()
    except (OSError, ET.ParseError) as error:
        fail(f"metainfo: {error}")
        return
    if component.findtext("id") != app_id:
        fail(f"metainfo id {component.findtext('id')!r} is not the desktop entry's {app_id}")
    launchables = [(e.get("type"), e.text) for e in component.findall("launchable")]
    if launchables != [("desktop-id", desktop_file)]:
        fail(f"metainfo launchables {launchables} are not [('desktop-id', {desktop_file!r})]")
    binaries = sorted(e.text for e in component.findall("provides/binary"))
    if binaries != programs:
        fail(f"metainfo provides binaries {binaries}, bin holds {programs}")
    releases = component.findall("releases/release")
    if not releases or releases[0].get("version") != version:
        fail(f"the newest release in the metainfo is not the project's version {version}")
    images = [e.text.strip() for e in component.findall("screenshots/screenshot/image")]
    if not images or not all(i.startswith("https://morvane.example.org/") for i in images):
        fail(f"screenshots: {images}")

    # The batch converter comes with its manual page.
    manual = os.path.join(usr, "share", "man", "man1", "morvane-convert.1.gz")
    if ("morvane-convert" in programs) != os.path.isfile(manual):
        fail("bin/morvane-convert and share/man/man1/morvane-convert.1.gz come together")


main()
for message in failures:
    print("FAIL:", message)
sys.exit(1 if failures else 0)
