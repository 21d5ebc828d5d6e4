#!/usr/bin/env python3
"""Fails when a text that people read has no finished German translation.

For every source folder (app/<folder> and engine) lupdate reads the sources
into a copy of translations/<folder>_de.ts; any message of the copy that is
new, unfinished or empty is reported. Counted texts are read into a copy of
translations/<folder>_en.ts as well, where each needs its English singular
and plural. A text that counts with %1 ("%1 files") instead of %n is
reported too: it reads "1 files" and "1 Dateien". The project's files stay
untouched.
"""
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET


def folders(root):
    app = root / "app"
    found = [(d.name, d) for d in sorted(app.iterdir()) if d.is_dir()]
    found.append(("engine", root / "engine"))
    return found


def missing(ts_file):
    for context in ET.parse(ts_file).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            translation = message.find("translation")
            kind = translation.get("type") if translation is not None else "unfinished"
            if kind in ("obsolete", "vanished"):
                continue
            forms = translation.findall("numerusform") if translation is not None else []
            texts = [f.text for f in forms] if forms else [translation.text if translation is not None else None]
            if kind == "unfinished" or not all(t and t.strip() for t in texts):
                yield f"{name}: {message.findtext('source')!r}"


# A placeholder right before a counted noun, as in "%1 files" or "%2 days".
COUNTED = re.compile(r"%\d+\s+(files?|folders?|days?|receipts?|rules?|items?|entries|entry|"
                     r"documents?|steps?|seconds?|minutes?|hours?|times|tags?)\b")


def miscounted(ts_file):
    for context in ET.parse(ts_file).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source") or ""
            translation = message.find("translation")
            if translation is not None and translation.get("type") in ("obsolete", "vanished"):
                continue
            if message.get("numerus") == "yes":
                if "%n" not in source:
                    yield f"{name}: {source!r} is counted but has no %n"
            elif COUNTED.search(source):
                yield f"{name}: {source!r} counts with a placeholder; use %n and tr(text, comment, count)"


def read(lupdate, sources, ts, copy, language, *options):
    if ts.exists():
        shutil.copy(ts, copy)
    subprocess.run([lupdate, "-silent", "-no-obsolete", "-locations", "none", "-target-language", language, *options,
                    str(sources), "-ts", str(copy)], check=True, stdout=subprocess.DEVNULL)
    return copy.exists()


def main():
    lupdate, root = sys.argv[1], pathlib.Path(sys.argv[2])
    problems = []
    with tempfile.TemporaryDirectory() as temp:
        for folder, sources in folders(root):
            ts = root / "translations" / f"{folder}_de.ts"
            copy = pathlib.Path(temp) / ts.name
            if read(lupdate, sources, ts, copy, "de"):
                problems += [f"translations/{ts.name}: {m}" for m in missing(copy)]
                problems += [f"translations/{ts.name}: {m}" for m in miscounted(copy)]
            english = root / "translations" / f"{folder}_en.ts"
            copy = pathlib.Path(temp) / english.name
            if read(lupdate, sources, english, copy, "en", "-pluralonly"):
                problems += [f"translations/{english.name}: {m}" for m in missing(copy)]
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} text(s) without a finished translation or miscounted; run lupdate on the folder and "
              "translate them.")
        return 1
    print("Every text has a German translation.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
