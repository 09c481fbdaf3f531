#!/usr/bin/env python3
"""Lists the texts the program looks up in its translation catalogue.

Texts are found where the sources pass them to the lookup:
  - tr("...") and wxGetTranslation("...") with a literal (adjacent literals
    joined);
  - helpers of one file that take `const char* NAME` and pass NAME to tr():
    the literal at that argument of every call of the helper in the file;
  - tables `const char* NAME[] = {...}` whose elements go to tr(NAME[...]).
tr(NAME) of a named constant (addresses, URLs) is reported apart: such texts
are the same in every language.

  extract_texts.py                 print the texts, one msgid a line
  extract_texts.py --missing PO    print the texts PO has no entry for
                                   (exit status 1 when there are any)
  extract_texts.py --missing PO --english EN_PO
                                   also check the English catalogue: each of
                                   its ids is one of PO's and changes the text
"""
import argparse
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FOLDERS = ["app", "crypto", "forms", "ui", "dialogs", "service", "platform"]
LOOKUPS = {"tr", "_", "wxGetTranslation", "display_text"}

TOKEN = re.compile(
    r'(?P<comment>//[^\n]*|/\*.*?\*/)'
    r'|(?P<string>(?:u8|L|u|U)?"(?:\\.|[^"\\\n])*")'
    r"|(?P<char>'(?:\\.|[^'\\\n])+')"
    r'|(?P<ident>[A-Za-z_]\w*)'
    r'|(?P<number>\d[\w.]*)'
    r'|(?P<punct>::|->|[^\s\w])', re.S)


def tokenize(source):
    """(kind, value) pairs; adjacent string literals become one 'string'."""
    out = []
    source = re.sub(r'^\s*#.*$', '', source, flags=re.M)
    for m in TOKEN.finditer(source):
        kind = m.lastgroup
        if kind in ("comment", "char"):
            continue
        value = m.group(kind)
        if kind == "string":
            body = value[value.index('"') + 1:-1]
            if out and out[-1][0] == "string":
                out[-1] = ("string", out[-1][1] + body)
                continue
            value = body
        out.append((kind, value))
    return out


def matching(tokens, i):
    """Index of the bracket closing the one at i."""
    pairs = {"(": ")", "[": "]", "{": "}"}
    opener, closer, depth = tokens[i][1], pairs[tokens[i][1]], 0
    for j in range(i, len(tokens)):
        if tokens[j] == ("punct", opener):
            depth += 1
        elif tokens[j] == ("punct", closer):
            depth -= 1
            if depth == 0:
                return j
    return len(tokens) - 1


def split_arguments(tokens, start, end):
    """Argument token lists between the brackets at start and end."""
    args, current, depth = [], [], 0
    for tok in tokens[start + 1:end]:
        if tok[0] == "punct" and tok[1] in "([{":
            depth += 1
        elif tok[0] == "punct" and tok[1] in ")]}":
            depth -= 1
        if depth == 0 and tok == ("punct", ","):
            args.append(current)
            current = []
        else:
            current.append(tok)
    if current or args:
        args.append(current)
    return args


def call_argument(tokens, i, sinks):
    """Tokens of the translated argument when tokens[i] calls a sink."""
    if tokens[i][0] != "ident" or tokens[i][1] not in sinks:
        return None
    if i + 1 >= len(tokens) or tokens[i + 1] != ("punct", "("):
        return None
    args = split_arguments(tokens, i + 1, matching(tokens, i + 1))
    index = sinks[tokens[i][1]]
    if index >= len(args):
        return None
    arg = args[index]
    # wxGetTranslation(wxString::FromUTF8("...")) and the like, also with a
    # parameter in place of the literal.
    if len(arg) > 1 and arg[-1] == ("punct", ")") and arg[-2][0] in ("string", "ident") and \
            arg[-3] == ("punct", "(") and all(t[0] != "string" for t in arg[:-2]):
        return [arg[-2]]
    return arg


def scan_file(path, texts, constants):
    tokens = tokenize(open(path, encoding="utf-8").read())
    # Functions whose argument at the index reaches a lookup: the lookups
    # themselves, then the file's helpers that pass a parameter on to one.
    sinks = {name: 0 for name in LOOKUPS}
    tables = set()
    while True:
        grown = False
        for i in range(len(tokens)):
            arg = call_argument(tokens, i, sinks)
            if arg and len(arg) == 1 and arg[0][0] == "ident":
                helper = enclosing_helper(tokens, i, arg[0][1])
                if helper and helper[0] not in sinks:
                    sinks[helper[0]] = helper[1]
                    grown = True
        if not grown:
            break

    for i in range(len(tokens)):
        arg = call_argument(tokens, i, sinks)
        if not arg:
            continue
        if len(arg) == 1 and arg[0][0] == "string":
            if arg[0][1]:
                texts.setdefault(arg[0][1], path)
        elif len(arg) == 1 and arg[0][0] == "ident":
            table = range_for_table(tokens, i, arg[0][1])
            if table:
                tables.add(table)
            elif tokens[i][1] in LOOKUPS and not enclosing_helper(tokens, i, arg[0][1]):
                constants.add(arg[0][1])
        elif len(arg) >= 2 and arg[0][0] == "ident" and arg[1] == ("punct", "["):
            tables.add(arg[0][1])

    for i, tok in enumerate(tokens):
        if tok[0] == "ident" and tok[1] in tables and \
                tokens[i + 1:i + 5] == [("punct", "["), ("punct", "]"), ("punct", "="), ("punct", "{")]:
            for t in tokens[i + 4:matching(tokens, i + 4)]:
                if t[0] == "string" and t[1]:
                    texts.setdefault(t[1], path)


def range_for_table(tokens, i, name):
    """TABLE when the lookup at i sits in `for (const char* name : TABLE)`."""
    pattern = [("ident", "for"), ("punct", "("), ("ident", "const"), ("ident", "char"), ("punct", "*"),
               ("ident", name), ("punct", ":")]
    for j in range(i - 1, max(i - 200, 0) - 1, -1):
        if tokens[j:j + len(pattern)] == pattern and tokens[j + len(pattern)][0] == "ident":
            return tokens[j + len(pattern)][1]
    return None


def enclosing_helper(tokens, i, name):
    """(function name, parameter index) when the lookup at i translates
    parameter `name` of the function it stands in."""
    depth = 0
    for j in range(i, -1, -1):
        if tokens[j] == ("punct", "}"):
            depth += 1
        elif tokens[j] == ("punct", "{"):
            if depth > 0:
                depth -= 1
                continue
            # The body's opening brace: ") {" or ") const {" before it.
            k = j - 1
            while k >= 0 and tokens[k][0] == "ident" and tokens[k][1] in ("const", "override", "noexcept"):
                k -= 1
            if tokens[k] != ("punct", ")"):
                continue
            depth_p, m = 0, k
            while m >= 0:
                if tokens[m] == ("punct", ")"):
                    depth_p += 1
                elif tokens[m] == ("punct", "("):
                    depth_p -= 1
                    if depth_p == 0:
                        break
                m -= 1
            if m <= 0:
                continue
            name_at = m - 1
            # A lambda kept in a variable: auto NAME = [...](...) {...}
            if tokens[name_at] == ("punct", "]"):
                depth_b, n = 0, name_at
                while n >= 0:
                    if tokens[n] == ("punct", "]"):
                        depth_b += 1
                    elif tokens[n] == ("punct", "["):
                        depth_b -= 1
                        if depth_b == 0:
                            break
                    n -= 1
                if n >= 2 and tokens[n - 1] == ("punct", "=") and tokens[n - 2][0] == "ident":
                    name_at = n - 2
            if tokens[name_at][0] != "ident":
                continue
            params = split_arguments(tokens, m, k)
            for index, p in enumerate(params):
                names = [t[1] for t in p if t[0] == "ident"]
                if names and names[-1] == name and "char" in names:
                    return tokens[name_at][1], index
            return None
    return None


def read_po(path):
    """{msgid: msgstr} of a catalogue, both as written (escapes kept)."""
    entries, key, field = {}, None, None
    for line in open(path, encoding="utf-8"):
        line = line.strip()
        if line.startswith("msgid "):
            key, field = line[6:].strip()[1:-1], "id"
            entries[key] = ""
        elif line.startswith("msgstr "):
            entries[key], field = line[7:].strip()[1:-1], "str"
        elif line.startswith('"') and field == "id":
            del entries[key]
            key += line[1:-1]
            entries[key] = ""
        elif line.startswith('"') and field == "str":
            entries[key] += line[1:-1]
        else:
            field = None
    entries.pop("", None)
    return entries


def read_po_ids(path):
    return set(read_po(path))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--missing", metavar="PO")
    parser.add_argument("--english", metavar="EN_PO")
    options = parser.parse_args()

    texts, constants = {}, set()
    for folder in FOLDERS:
        base = os.path.join(ROOT, folder)
        if not os.path.isdir(base):
            continue
        for name in sorted(os.listdir(base)):
            if name.endswith((".cpp", ".h", ".inc")):
                scan_file(os.path.join(base, name), texts, constants)

    if options.missing:
        known = read_po_ids(options.missing)
        untranslated = {t for t, text in read_po(options.missing).items() if not text}
        missing = [t for t in texts if t not in known or t in untranslated]
        for t in missing:
            print('%s: "%s"' % (os.path.relpath(texts[t], ROOT), t))
        faults = len(missing)
        if options.english:
            for t, text in read_po(options.english).items():
                if t not in known and t not in texts:
                    print('%s: "%s" is no message id' % (os.path.basename(options.english), t))
                    faults += 1
                elif text == t or not text:
                    print('%s: "%s" changes nothing' % (os.path.basename(options.english), t))
                    faults += 1
        return 1 if faults else 0

    for t in texts:
        print('"%s"' % t)
    if constants:
        print("# named constants, same in every language: " + ", ".join(sorted(constants)), file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
