#!/usr/bin/env python3
"""The settings description against the program.

    settings_xml_test.py OMBREL OMBREL_XML

ombrel.xml must be well-formed (xmllint) and every argument that the settings
program can make from it must be accepted: the command with each option of
each choice, each switch of each check box, and each slider at its low end,
high end and default, all run for one frame on a virtual X server of the
test's own. Prints one line per failure and exits 1 if there was any.
"""
import os
import subprocess
import sys
import xml.etree.ElementTree as ElementTree


def arguments(root):
    """Every argument string that the description can add to its command."""
    made = []
    for option in root.iter("option"):
        made.append(option.get("arg-set", ""))
    for boolean in root.iter("boolean"):
        made += [boolean.get("arg-set", ""), boolean.get("arg-unset", "")]
    for number in root.iter("number"):
        for value in ("low", "high", "default"):
            made.append(number.get("arg").replace("%", number.get(value)))
    return [a for a in made if a]


def start_xvfb():
    """Starts Xvfb on a free display; returns the process and the display's name."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "320x240x24",
                             "-nolisten", "tcp"], pass_fds=[write_end],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as announced:
        number = announced.readline().strip()
    if not number:
        xvfb.kill()
        sys.exit("Xvfb did not start")
    return xvfb, ":" + number


def main():
    ombrel, description = sys.argv[1], sys.argv[2]
    checked = subprocess.run(["xmllint", "--noout", description], capture_output=True, text=True)
    if checked.returncode != 0:
        print("xmllint: " + checked.stderr.strip())
        return 1

    root = ElementTree.parse(description).getroot()
    command = root.find("command").get("arg", "")
    made = arguments(root)
    if command.split() != ["--root"] or len(made) < 10:
        print(f"unexpected description: command {command!r}, {len(made)} arguments")
        return 1

    xvfb, display = start_xvfb()
    failures = 0
    try:
        environment = dict(os.environ, DISPLAY=display)
        environment.pop("XSCREENSAVER_WINDOW", None)
        for argument in made:
            line = [ombrel] + command.split() + argument.split() + ["--frames", "1"]
            run = subprocess.run(line, env=environment, capture_output=True, text=True, timeout=60)
            if run.returncode != 0 or run.stderr:
                print(f"{' '.join(line[1:])}: exit {run.returncode} {run.stderr.strip()}")
                failures += 1
    finally:
        xvfb.terminate()
        xvfb.wait(timeout=10)
    print(f"{len(made) - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
