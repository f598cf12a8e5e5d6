#!/usr/bin/env python3
"""Checks the Debian package that CPack built, without installing it on this machine.

    check_package.py control  PACKAGE_DIR VERSION
    check_package.py contents PACKAGE_DIR VERSION SCRATCH INSTALL_ROOT DICTIONARY

control: the control fields, and that Depends names the package of every library the programs link.
contents: the files are those of `cmake --install` (INSTALL_ROOT), owned by root; unpacked with dpkg -x
into SCRATCH they pass check_tree.py, and the menu entry's command starts the window program, which
writes out its dictionary (the file DICTIONARY), and the batch converter converts.
"""

import glob
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
failures = []


def fail(message):
    failures.append(message)


def run(*command, **options):
    return subprocess.run(command, capture_output=True, encoding="utf-8", check=True, **options).stdout


def the_package(package_dir):
    packages = glob.glob(os.path.join(package_dir, "*.deb"))
    if len(packages) != 1:
        sys.exit(f"FAIL: expected one package in {package_dir}, found {packages}")
    return packages[0]


def unpack(package, scratch):
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    run("dpkg", "-x", package, scratch)
    return scratch


def control_fields(package):
    fields = {}
    name = None
    for line in run("dpkg-deb", "-f", package).splitlines():
        if line[:1] in (" ", "\t") and name:
            fields[name] += "\n" + line
        else:
            name, _, value = line.partition(":")
            fields[name] = value.strip()
    return fields


def depends_names(depends):
    """The package names in a Depends field, alternatives included, without versions."""
    return {re.sub(r"[\s(:].*", "", alternative.strip())
            for relation in depends.split(",") for alternative in relation.split("|")}


def owning_package(path):
    """The installed package that holds a library, trying its names with and without /usr."""
    candidates = [path, os.path.realpath(path)]
    for p in list(candidates):
        candidates.append(p[len("/usr"):] if p.startswith("/usr/") else "/usr" + p)
    for candidate in candidates:
        found = subprocess.run(["dpkg-query", "-S", candidate], capture_output=True, encoding="utf-8")
        if found.returncode == 0:
            return found.stdout.split(":")[0].split(",")[0].strip()
    return None


def check_control(package, version):
    fields = control_fields(package)
    architecture = run("dpkg", "--print-architecture").strip()
    expected = {"Package": "morvane", "Version": version, "Architecture": architecture,
                "Priority": "optional"}
    for name, value in expected.items():
        if fields.get(name) != value:
            fail(f"{name} is {fields.get(name)!r}, not {value!r}")
    if os.path.basename(package) != f"morvane_{version}_{architecture}.deb":
        fail(f"the package file is named {os.path.basename(package)}")
    if not re.fullmatch(r"[^<>]+ <[^<>@\s]+@[^<>@\s]+>", fields.get("Maintainer", "")):
        fail(f"Maintainer {fields.get('Maintainer')!r} is not a name and an address")
    if not fields.get("Section"):
        fail("no Section")
    if not fields.get("Homepage", "").startswith("https://morvane.example.org/"):
        fail(f"Homepage is {fields.get('Homepage')!r}")
    description = fields.get("Description", "").split("\n")
    if len(description) < 2 or not description[0] or "Pinyin" not in description[0]:
        fail(f"Description has no synopsis and long description: {description}")

    depends = depends_names(fields.get("Depends", ""))
    for needed in ("libqt6core6", "libqt6gui6", "libqt6widgets6", "libjpeg62-turbo", "fonts-arphic-uming"):
        if needed not in depends:
            fail(f"Depends does not name {needed}: {fields.get('Depends')!r}")

    # Every library a program needs directly comes from a package that Depends names.
    with tempfile.TemporaryDirectory() as scratch:
        root = unpack(package, os.path.join(scratch, "root"))
        bindir = os.path.join(root, "usr", "bin")
        for name in sorted(os.listdir(bindir)):
            program = os.path.join(bindir, name)
            if os.path.islink(program):
                continue
            needed = re.findall(r"\(NEEDED\)\s+Shared library: \[([^\]]+)\]", run("readelf", "-d", program))
            linked = run("ldd", program)
            resolved = dict(re.findall(r"(?m)^\s*(\S+) => (/\S+)", linked))
            resolved.update((os.path.basename(p), p) for p in re.findall(r"(?m)^\s*(/\S+) \(", linked))
            for soname in needed:
                if soname not in resolved:
                    fail(f"{name} needs {soname}, which is not on this machine")
                    continue
                owner = owning_package(resolved[soname])
                if owner is None:
                    fail(f"{name} needs {resolved[soname]}, which no package holds")
                elif owner not in depends:
                    fail(f"{name} needs {soname} from {owner}, which Depends does not name")


def listed_files(package):
    """The package's members other than folders: path to (owner, link target or None)."""
    members = {}
    for line in run("dpkg-deb", "-c", package).splitlines():
        mode, owner, _size, _date, _time, rest = line.split(None, 5)
        if mode.startswith("d"):
            if owner != "root/root":
                fail(f"folder {rest} belongs to {owner}")
            continue
        path, _, target = rest.partition(" -> ")
        members[os.path.normpath(path.lstrip("."))] = (owner, target or None)
    return members


def installed_files(root):
    files = {}
    for folder, _dirs, names in os.walk(root):
        for name in names:
            path = os.path.join(folder, name)
            files["/" + os.path.relpath(path, root)] = os.readlink(path) if os.path.islink(path) else None
    return files


def start_from_menu_entry(root, dictionary):
    """Starts the menu entry's command from the unpacked programs; it must write out the dictionary."""
    with tempfile.TemporaryDirectory() as scratch:
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", HOME=scratch,
                   XDG_STATE_HOME=os.path.join(scratch, "state"),
                   PATH=os.path.join(root, "usr", "bin") + os.pathsep + os.environ.get("PATH", ""))
        applications = os.path.join(root, "usr", "share", "applications")
        exec_line = next(line for name in os.listdir(applications)
                         for line in open(os.path.join(applications, name), encoding="utf-8")
                         if line.startswith("Exec="))
        command = exec_line[len("Exec="):].split()
        written = os.path.join(scratch, "state", "morvane", "diclist.txt")
        program = subprocess.Popen(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        try:
            deadline = time.monotonic() + 30
            while time.monotonic() < deadline and program.poll() is None:
                if os.path.isfile(written) and os.path.getsize(written) == os.path.getsize(dictionary):
                    break
                time.sleep(0.2)
            time.sleep(1)  # still running a moment after the start
            if program.poll() is not None:
                fail(f"{command} ended at start ({program.returncode}): {program.stdout.read()!r}")
            elif not os.path.isfile(written):
                fail(f"{command} did not write out its dictionary in 30 seconds")
            else:
                with open(written, "rb") as a, open(dictionary, "rb") as b:
                    if a.read() != b.read():
                        fail(f"{command} wrote a dictionary unlike the built-in one")
        finally:
            if program.poll() is None:
                program.send_signal(signal.SIGTERM)
                try:
                    program.wait(10)
                except subprocess.TimeoutExpired:
                    program.kill()
                    program.wait()

        converter = os.path.join(root, "usr", "bin", "morvane-convert")
        if os.path.exists(converter):
            out = subprocess.run([converter], input="你好, Morvane", capture_output=True, encoding="utf-8",
                                 env=env)
            if out.returncode != 0 or out.stdout != " nǐ  hǎo , Morvane":
                fail(f"the packaged morvane-convert wrote {out.stdout!r} ({out.returncode}): {out.stderr}")


def check_contents(package, scratch, install_root, dictionary):
    members = listed_files(package)
    for path, (owner, _target) in sorted(members.items()):
        if owner != "root/root":
            fail(f"{path} belongs to {owner}")
    members = {path: target for path, (_owner, target) in members.items()}
    installed = installed_files(install_root)
    if members != installed:
        only_package = sorted(set(members.items()) - set(installed.items()))
        only_install = sorted(set(installed.items()) - set(members.items()))
        fail(f"the package's files differ from cmake --install: only in the package {only_package}, "
             f"only installed {only_install}")

    root = unpack(package, scratch)
    tree = subprocess.run([sys.executable, os.path.join(here, "check_tree.py"), root, sys.argv[3]],
                          capture_output=True, encoding="utf-8")
    if tree.returncode != 0:
        fail(f"the unpacked package:\n{tree.stdout}{tree.stderr}")
    start_from_menu_entry(root, dictionary)


def main():
    what, package_dir, version = sys.argv[1:4]
    package = the_package(package_dir)
    if what == "control":
        check_control(package, version)
    else:
        check_contents(package, sys.argv[4], sys.argv[5], sys.argv[6])


main()
for message in failures:
    print("FAIL:", message)
sys.exit(1 if failures else 0)
