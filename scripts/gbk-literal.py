#!/usr/bin/env python3
"""Prints a C++ string literal holding the GBK bytes of each argument (UTF-8 text),
with the text itself as a comment: the program keeps its texts as GBK bytes while
its sources are UTF-8. Example: scripts/gbk-literal.py '正在查询'"""
import sys

for arg in sys.argv[1:]:
    data = arg.encode("gbk")
    lit, last_was_hex = "", False
    for b in data:
        if 0x20 <= b < 0x7F and chr(b) not in '"\\?':
            c = chr(b)
            if last_was_hex and c in "0123456789abcdefABCDEF":
                lit += '" "'
            lit += c
            last_was_hex = False
        elif b in (9, 10, 13):
            lit += {9: "\\t", 10: "\\n", 13: "\\r"}[b]
            last_was_hex = False
        else:
            lit += "\\x%02X" % b
            last_was_hex = True
    print('"%s"  // %s' % (lit, arg.replace("\r", "\\r").replace("\n", "\\n")))
