#!/usr/bin/env python3
"""Writes a C++ header of GBK texts from a UTF-8 table, so that the program's texts
are edited as Chinese while the program keeps them as GBK bytes.
Usage: make_texts.py TABLE.txt OUTPUT.h

The table, one item a line:

    # A comment; it is copied into the header.
    namespace vorlane::check::texts
    kName "the text"            # an optional comment after the text
    kLong "a text written "
          "over two lines"      # lines that start with a quote continue the text

The namespace line comes first (comments before it head the header). A text is
UTF-8 between double quotes; its escapes are \\r \\n \\t \\" and \\\\. Every
character must exist in GBK: the build stops with file:line:column otherwise."""
import os
import re
import sys

NAME = re.compile(r"[A-Za-z_][A-Za-z0-9_]*")
NAMESPACE = re.compile(r"namespace\s+([A-Za-z_][A-Za-z0-9_]*(?:::[A-Za-z_][A-Za-z0-9_]*)*)\s*$")
ESCAPES = {"r": "\r", "n": "\n", "t": "\t", '"': '"', "\\": "\\"}


class TableError(Exception):
    def __init__(self, line, column, message):
        super().__init__(message)
        self.line, self.column, self.message = line, column, message


def parse_quoted(line, number, at):
    """The text of the quoted string starting at line[at] and the index after it."""
    chars, i = [], at + 1
    while i < len(line):
        c = line[i]
        if c == '"':
            return "".join(chars), i + 1
        if c == "\\":
            if i + 1 >= len(line) or line[i + 1] not in ESCAPES:
                escape = line[i:i + 2]
                raise TableError(number, i + 1, "unknown escape '%s' (the escapes are \\r \\n \\t \\\" \\\\)" % escape)
            chars.append(ESCAPES[line[i + 1]])
            i += 2
            continue
        if ord(c) < 0x20 or ord(c) == 0x7F:
            raise TableError(number, i + 1, "control character U+%04X in a text; write \\t, \\r or \\n" % ord(c))
        try:
            c.encode("gbk")
        except UnicodeEncodeError:
            raise TableError(number, i + 1, "'%s' (U+%04X) has no GBK encoding" % (c, ord(c))) from None
        chars.append(c)
        i += 1
    raise TableError(number, at + 1, "the text has no closing double quote")


def parse_text_part(line, number, at):
    """A quoted text at line[at], then an optional '# comment': (text, source, comment)."""
    text, end = parse_quoted(line, number, at)
    rest = line[end:].strip()
    if rest and not rest.startswith("#"):
        raise TableError(number, end + 1, "expected the end of the line or '#' after the text, found '%s'" % rest)
    return text, line[at:end], rest[1:].strip()


def parse(lines):
    """The table as (namespace, head comments, items); an item is ('comment', text),
    ('blank',) or ('text', name, [(text, source, comment), ...])."""
    namespace, head, items, names = None, [], [], {}
    last = None  # the text item that a continuation line would extend
    for number, line in enumerate(lines, start=1):
        stripped = line.strip()
        if not stripped:
            if namespace is not None:
                items.append(("blank",))
            last = None
            continue
        if stripped.startswith("#"):
            (head if namespace is None else items).append(("comment", stripped[1:].strip()))
            last = None
            continue
        if namespace is None:
            match = NAMESPACE.match(stripped)
            if not match:
                raise TableError(number, 1, "expected 'namespace a::b::c' before the first text")
            namespace = match.group(1)
            continue
        if stripped.startswith('"'):
            if last is None:
                raise TableError(number, 1, "a continued text must directly follow a named text")
            last[2].append(parse_text_part(line, number, line.index('"')))
            continue
        match = NAME.match(line, len(line) - len(line.lstrip()))
        if not match:
            raise TableError(number, 1, "expected a C++ name, a quoted text, a comment or a blank line")
        name, after = match.group(0), match.end()
        if name in names:
            raise TableError(number, 1, "'%s' is already defined on line %d" % (name, names[name]))
        quote = after + len(line[after:]) - len(line[after:].lstrip())
        if quote == after or quote >= len(line) or line[quote] != '"':
            raise TableError(number, after + 1, "expected a blank and a double-quoted text after '%s'" % name)
        names[name] = number
        last = ("text", name, [parse_text_part(line, number, quote)])
        items.append(last)
    if namespace is None:
        raise TableError(len(lines) + 1, 1, "the table has no 'namespace' line")
    return namespace, head, items


def literal(data):
    """A C++ string literal of the bytes: printable ASCII as is, the rest escaped."""
    out, last_was_hex = "", False
    for b in data:
        c = chr(b)
        if 0x20 <= b < 0x7F:
            if last_was_hex and c in "0123456789abcdefABCDEF":
                out += '" "'  # the digit would otherwise lengthen the escape before it
            out += {'"': '\\"', "\\": "\\\\", "?": "\\?"}.get(c, c)
            last_was_hex = False
        elif c in "\r\n\t":
            out += {"\r": "\\r", "\n": "\\n", "\t": "\\t"}[c]
            last_was_hex = False
        else:
            out += "\\x%02X" % b
            last_was_hex = True
    return '"%s"' % out


def comment(text):
    # A trailing backslash would splice the next line into the comment.
    return ("// " + text + ("." if text.endswith("\\") else "")).rstrip()


def header(table_name, namespace, head, items):
    out = ["// Generated from %s by tools/make_texts.py: edit the table, not this file." % table_name]
    out += [comment(c) for _, c in head]
    out += ["#pragma once", "", "namespace %s {" % namespace, ""]
    for item in items:
        if item[0] == "blank":
            if out[-1] != "":
                out.append("")
        elif item[0] == "comment":
            out.append(comment(item[1]))
        else:
            _, name, parts = item
            lines = []
            for i, (text, source, note) in enumerate(parts):
                end = ";" if i == len(parts) - 1 else ""
                code = literal(text.encode("gbk"))
                # The text as written in the table, beside bytes that do not read as it.
                said = comment(source + ("  " + note if note else "")) if code != source or note else ""
                lines.append(("%s%s  %s" % (code, end, said)).rstrip())
            if len(lines) == 1:
                out.append("inline constexpr char %s[] = %s" % (name, lines[0]))
            else:
                out.append("inline constexpr char %s[] =" % name)
                out += ["    " + line for line in lines]
    while out[-1] == "":
        out.pop()
    out += ["", "}  // namespace %s" % namespace, ""]
    return "\n".join(out)


def read_lines(path):
    data = open(path, "rb").read()
    if data.startswith(b"\xEF\xBB\xBF"):
        data = data[3:]
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError as e:
        line = data[:e.start].count(b"\n") + 1
        column = e.start - (data.rfind(b"\n", 0, e.start) + 1) + 1
        raise TableError(line, column, "not UTF-8 (byte 0x%02X)" % data[e.start]) from None
    return [line.rstrip("\r") for line in text.split("\n")]


def main(argv):
    if len(argv) != 3:
        print("usage: make_texts.py TABLE.txt OUTPUT.h", file=sys.stderr)
        return 2
    table, output = argv[1], argv[2]
    try:
        lines = read_lines(table)
        if lines and lines[-1] == "":
            lines.pop()
        namespace, head, items = parse(lines)
    except TableError as e:
        print("%s:%d:%d: error: %s" % (table, e.line, e.column, e.message), file=sys.stderr)
        return 1
    except OSError as e:
        print("%s: error: %s" % (table, e.strerror), file=sys.stderr)
        return 1
    text = header(table.replace("\\", "/").split("/")[-1], namespace, head, items)
    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    with open(output, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
