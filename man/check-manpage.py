#!/usr/bin/env python3
"""Checks the built manual pages against the program they describe.

Every command tavelin-cli --help lists has its own section in tavelin-cli(1),
and every option of that command is there twice: in the command's synopsis and
where its meaning is described (in man/tavelin-cli.commands). Both pages must
format without a warning from groff.

    check-manpage.py TAVELIN_CLI TAVELIN_CLI_PAGE OTHER_PAGE...
"""

import re
import subprocess
import sys


def sections(page):
    """Command name -> text of its .SS section."""
    parts = re.split(r"^\.SS (.*)$", page, flags=re.M)
    return {parts[i].replace("\\-", "-").strip('"'): parts[i + 1] for i in range(1, len(parts), 2)}


def main():
    program, page_path, *other_pages = sys.argv[1:]
    help_text = subprocess.run([program, "--help"], check=True, capture_output=True,
                               text=True).stdout
    rows = help_text.split("Commands:\n", 1)[1].split("\n\n", 1)[0].splitlines()
    with open(page_path, encoding="utf-8") as f:
        page = f.read()
    in_page = sections(page)
    faults = []
    for row in rows:
        words = re.split(r"\s{2,}", row.strip(), maxsplit=1)[0].split() + [""]
        # "lists add TITLE ...": the subcommand is part of the name.
        name = " ".join(words[:2]) if re.fullmatch(r"[a-z]+", words[1]) else words[0]
        if name not in in_page:
            faults.append(f"command '{name}' has no section")
            continue
        for option in sorted(set(re.findall(r"--[a-z][a-z-]*", row))):
            escaped = re.escape(option.replace("-", "\\-"))
            count = len(re.findall(escaped + r"(?![a-z]|\\-)", in_page[name]))
            if count < 2:
                faults.append(f"option {option} of '{name}' is not described "
                              "(add it to man/tavelin-cli.commands)")
    if not rows:
        faults.append("--help lists no commands")
    for path in [page_path] + other_pages:
        formatted = subprocess.run(["groff", "-man", "-Tutf8", "-ww", "-z", path],
                                   capture_output=True, text=True)
        if formatted.returncode != 0 or formatted.stderr:
            faults.append(f"{path}: groff: {formatted.stderr.strip()}")
    for fault in faults:
        print(fault, file=sys.stderr)
    print(f"{len(rows)} commands checked, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
