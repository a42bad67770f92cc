#!/usr/bin/env python3
"""Writes a manual page from its hand-written roff template.

With --help-from, the command list and the exit statuses come from the
program's own --help at build time, so the page names exactly the commands
and options the program takes; --details adds per-command text that --help has
no room for. Writes OUTPUT and OUTPUT.gz (gzip -9n, as Debian installs pages).
"""

import argparse
import gzip
import re
import subprocess
import sys

# A word the user replaces: FILE, TITLE, ARGS...
PLACEHOLDER = re.compile(r"[A-Z][A-Z0-9_]*(\.\.\.)?")
SUBCOMMAND = re.compile(r"[a-z]+")


def roff_escape(text):
    """Plain text as roff: backslashes and minus signs escaped, no control line."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\\&" + text if text[:1] in (".", "'") else text


def is_syntax(token, depth):
    """True when a --help token is part of a command's synopsis, not its description."""
    if depth > 0 or "|" in token or token.startswith("["):
        return True
    bare = token.strip("[]")
    return bare.startswith("-") or PLACEHOLDER.fullmatch(bare) is not None


def split_usage(line):
    """'send [--timeout SECONDS]   send the queue' -> (tokens, description)."""
    head, *rest = re.split(r"\s{2,}", line.strip(), maxsplit=1)
    tail = rest[0] if rest else ""
    tokens = head.split(" ")
    # "lists add TITLE ...": a word of lower-case letters after the command
    # names one of its subcommands.
    named = 2 if len(tokens) > 1 and SUBCOMMAND.fullmatch(tokens[1]) else 1
    synopsis = tokens[:named]
    depth = 0
    for i, token in enumerate(tokens[named:], start=named):
        if not is_syntax(token, depth):
            # The padded column was one space short: the description began here.
            tail = " ".join(tokens[i:]) + (" " + tail if tail else "")
            break
        synopsis.append(token)
        depth += token.count("[") - token.count("]")
    return synopsis, tail.strip()


def synopsis_roff(tokens):
    """Options and literal words bold, placeholders italic, [ ] and | plain."""
    out = []
    for token in tokens:
        parts = re.split(r"([\[\]|])", token)
        out.append("".join(
            p if p in ("[", "]", "|", "") else
            "\\fI" + roff_escape(p) + "\\fR" if PLACEHOLDER.fullmatch(p) else
            "\\fB" + roff_escape(p) + "\\fR" for p in parts))
    return " ".join(out)


def sentence(text):
    text = text[:1].upper() + text[1:]
    return text if text.endswith(".") else text + "."


def parse_help(text):
    """The (name, synopsis tokens, description) rows and the exit statuses of --help."""
    commands, statuses = [], []
    in_commands = False
    for line in text.splitlines():
        if line.strip() == "Commands:":
            in_commands = True
        elif in_commands and line.startswith("  ") and line.strip():
            tokens, description = split_usage(line)
            name = " ".join(tokens[:2]) if len(tokens) > 1 and SUBCOMMAND.fullmatch(tokens[1]) \
                else tokens[0]
            commands.append((name, tokens, description))
        elif in_commands:
            in_commands = False
        if line.startswith("Exit status:"):
            for item in line[len("Exit status:"):].strip().rstrip(".").split(","):
                code, _, meaning = item.strip().partition(" ")
                statuses.append((code, meaning))
    return commands, statuses


def read_details(path):
    """'[name]' headed roff blocks, one per command."""
    details, name = {}, None
    with open(path, encoding="utf-8") as f:
        for line in f:
            match = re.fullmatch(r"\[([\w -]+)\]\s*", line)
            if match:
                name = match.group(1)
                details[name] = []
            elif name is not None:
                details[name].append(line.rstrip("\n"))
    return {k: "\n".join(v).strip("\n") for k, v in details.items()}


def commands_roff(program_name, commands, details):
    blocks = []
    for name, tokens, description in commands:
        block = [".SS " + roff_escape(name), ".B " + roff_escape(program_name),
                 synopsis_roff(tokens), ".PP", roff_escape(sentence(description))]
        if details.get(name):
            block += [".PP", details[name]]
        blocks.append("\n".join(block))
    return "\n".join(blocks)


def statuses_roff(statuses):
    return "\n".join(f".TP\n.B {roff_escape(code)}\n{roff_escape(sentence(meaning))}"
                     for code, meaning in statuses)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--template", required=True)
    parser.add_argument("--output", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--date", required=True)
    parser.add_argument("--help-from", help="the program whose --help lists the commands")
    parser.add_argument("--details", help="per-command roff blocks headed [name]")
    args = parser.parse_args()

    with open(args.template, encoding="utf-8") as f:
        page = f.read()
    page = page.replace("@VERSION@", args.version).replace("@DATE@", args.date)
    if args.help_from:
        help_text = subprocess.run([args.help_from, "--help"], check=True, capture_output=True,
                                   text=True).stdout
        commands, statuses = parse_help(help_text)
        if not commands or not statuses:
            sys.exit(f"{args.help_from} --help lists no commands or no exit status")
        details = read_details(args.details) if args.details else {}
        unknown = sorted(set(details) - {name for name, _, _ in commands})
        if unknown:
            sys.exit(f"{args.details}: no such command in --help: {', '.join(unknown)}")
        program_name = args.help_from.rsplit("/", 1)[-1]
        page = page.replace("@COMMANDS@", commands_roff(program_name, commands, details))
        page = page.replace("@EXIT_STATUS@", statuses_roff(statuses))
    left = sorted(set(re.findall(r"@[A-Z_]+@", page)))
    if left:
        sys.exit(f"{args.template}: nothing fills {', '.join(left)}")

    with open(args.output, "w", encoding="utf-8") as f:
        f.write(page)
    with open(args.output + ".gz", "wb") as raw:
        with gzip.GzipFile(filename="", mode="wb", compresslevel=9, fileobj=raw, mtime=0) as z:
            z.write(page.encode("utf-8"))


if __name__ == "__main__":
    main()
