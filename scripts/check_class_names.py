#!/usr/bin/python3
"""Fails when two files define a class or struct of the same name, in any named namespace.

    check_class_names.py DIR...

Two definitions of one name break the one-definition rule: the linker keeps one
virtual table and one set of inline functions for both, and whichever it keeps,
the other class's callers run the wrong code; two of one name in different
namespaces are one using-directive away from that. Classes in unnamed namespaces,
inside functions or inside other classes are local and not counted; forward
declarations and template specialisations are not definitions of a new name.
Prints every clash with its files and exits 1, or prints nothing and exits 0.
"""
import os
import re
import sys

SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")
TOKEN = re.compile(r"[A-Za-z_]\w*|::|\S")


def without_comments_and_strings(text):
    """The text with comments, string and character literals replaced by blanks (lines kept)."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            end = text.find("\n", i)
            i = n if end < 0 else end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append("\n" * text.count("\n", i, end))
            i = end
        elif c == 'R' and text.startswith('R"', i):
            open_paren = text.find("(", i + 2)
            delimiter = text[i + 2:open_paren]
            end = text.find(")" + delimiter + '"', open_paren)
            end = n if end < 0 else end + len(delimiter) + 2
            out.append('""' + "\n" * text.count("\n", i, end))
            i = end
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(c + c)
            i = j + 1
        elif c == "#" and (i == 0 or text[i - 1] == "\n"):
            # Preprocessor lines (continued with a backslash) hold no definitions.
            j = i
            while True:
                end = text.find("\n", j)
                if end < 0:
                    end = n
                    break
                if text[end - 1] != "\\":
                    break
                j = end + 1
            i = end
        else:
            out.append(c)
            i += 1
    return "".join(out)


def definitions(path):
    """(qualified name, line) of every class or struct defined at namespace scope in the file."""
    with open(path, encoding="utf-8", errors="replace") as f:
        text = without_comments_and_strings(f.read())
    found = []
    # Each open brace pushes what it opens: a namespace name, "" for an unnamed
    # namespace, or None for a class body, function body, initialiser, ...
    scopes = []
    pending = None  # what the next "{" opens
    tokens = []
    line, last = 1, 0
    for m in TOKEN.finditer(text):
        line += text.count("\n", last, m.start())
        last = m.start()
        tokens.append((m.group(0), line))
    k = 0
    while k < len(tokens):
        token, line = tokens[k]
        if token == "namespace":
            names = []
            j = k + 1
            while j < len(tokens) and tokens[j][0] not in ("{", ";", "="):
                if tokens[j][0] != "::" and tokens[j][0] != "inline":
                    names.append(tokens[j][0])
                j += 1
            if j < len(tokens) and tokens[j][0] == "{":
                pending = ("namespace", "::".join(names))
                k = j
                continue
            k = j + 1
            pending = None
            continue
        if token in ("class", "struct") and (k == 0 or tokens[k - 1][0] not in ("enum", "<", ",", "friend")):
            # class NAME [final] [: bases] { ... }   (a definition)
            j = k + 1
            while j < len(tokens) and tokens[j][0] in ("alignas", "[", "]", "(", ")") or (
                    j < len(tokens) and tokens[j][0].startswith("QUILLORY_")):
                j += 1
            if j < len(tokens) and re.match(r"[A-Za-z_]\w*$", tokens[j][0]):
                name, at = tokens[j]
                after = tokens[j + 1][0] if j + 1 < len(tokens) else ""
                if after in ("{", ":", "final") and all(s is not None and s != "" for s in scopes):
                    # Template specialisations (NAME<...>) never reach here: "<" follows the name.
                    found.append(("::".join(s for s in scopes) + "::" + name if scopes else name, at))
        if token == "{":
            if pending is not None and pending[0] == "namespace":
                scopes.append(pending[1])
            else:
                scopes.append(None)
            pending = None
        elif token == "}":
            if scopes:
                scopes.pop()
        elif token == ";":
            pending = None
        k += 1
    return found


def main(folders):
    seen = {}
    for folder in folders:
        for root, dirs, files in os.walk(folder):
            dirs.sort()
            for name in sorted(files):
                if name.endswith(SOURCE_SUFFIXES):
                    path = os.path.join(root, name)
                    # One name, one class across the project: two of one name in different
                    # namespaces are one careless include or using-directive from a clash.
                    for qualified, line in definitions(path):
                        seen.setdefault(qualified.rsplit("::", 1)[-1], []).append(f"{qualified} {path}:{line}")
    clashes = {name: places for name, places in seen.items()
               if len({p.rsplit(":", 1)[0].split(" ", 1)[1] for p in places}) > 1}
    for name, places in sorted(clashes.items()):
        print(f"class name {name} is defined more than once:", file=sys.stderr)
        for place in places:
            print(f"  {place}", file=sys.stderr)
    return 1 if clashes else 0


if __name__ == "__main__":
    if len(sys.argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1:]))
