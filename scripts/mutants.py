#!/usr/bin/env python3
"""Mutation check: how many small planted faults in chosen product files does the unit suite catch?

For each mutant (one operator swapped, one integer constant moved by one, true/false swapped, &&/|| swapped,
or one statement deleted) the file is rewritten, the test target rebuilt, the test command run; a failing or
hanging run kills the mutant. The file is put back after every mutant, on Ctrl+C, and at the next start if a
run was killed hard (a journal in the build directory keeps the original text).

    scripts/mutants.py src/engine src/patterns --sample 60 --seed 1
    scripts/mutants.py src/display/pixelformat.cpp --build build/native --target tavo_tests \\
        --test-cmd 'build/native/tests/tavo_tests --gtest_filter=Pixel*'

Only files inside the git worktree it runs from are touched, so several worktrees can run it at once.
A developer tool; not part of CI.
"""
import argparse
import json
import os
import random
import re
import shlex
import shutil
import signal
import subprocess
import sys
import time
from collections import defaultdict

# ---------------------------------------------------------------------------------------------------------
# Tokens
# ---------------------------------------------------------------------------------------------------------
PUNCT = sorted(
    """>>= <<= <=> ->* ... -> ++ -- << >> <= >= == != && || += -= *= /= %= &= |= ^= :: .*
    { } [ ] ( ) ; : , . ? ~ ! + - * / % ^ & | = < > #""".split(),
    key=len,
    reverse=True,
)
KEYWORDS_NOT_TYPES = {
    "return", "case", "sizeof", "goto", "delete", "new", "throw", "if", "else", "for", "while", "do",
    "switch", "break", "continue", "default", "co_return", "typedef", "using", "static_assert",
}
TOKEN_RE = re.compile(
    r"""(?P<ws>\s+)
      |(?P<comment>//[^\n]*|/\*.*?\*/)
      |(?P<string>(?:u8|[uUL])?R"(?P<delim>[^(\s]*)\(.*?\)(?P=delim)"|(?:u8|[uUL])?"(?:\\.|[^"\\\n])*")
      |(?P<char>(?:u8|[uUL])?'(?:\\.|[^'\\\n])*')
      |(?P<number>\.?[0-9](?:[eEpP][+-]|[0-9a-zA-Z_.']|)*)
      |(?P<ident>[A-Za-z_]\w*)
      |(?P<punct>"""
    + "|".join(re.escape(p) for p in PUNCT)
    + r""")""",
    re.S | re.X,
)


class Tok:
    __slots__ = ("kind", "text", "start", "end", "line")

    def __init__(self, kind, text, start, end, line):
        self.kind, self.text, self.start, self.end, self.line = kind, text, start, end, line


def tokenize(src):
    """Code tokens of a C++ file; comments, literals' insides and preprocessor lines are left out."""
    toks, pos, line, bol = [], 0, 1, True
    while pos < len(src):
        if bol:
            m = re.match(r"[ \t]*#", src[pos:pos + 200])
            if m:  # a preprocessor line, with its continuations
                end = pos
                while True:
                    nl = src.find("\n", end)
                    if nl < 0:
                        end = len(src)
                        break
                    if src[nl - 1] != "\\":
                        end = nl
                        break
                    end = nl + 1
                line += src.count("\n", pos, end)
                pos = end
                continue
        m = TOKEN_RE.match(src, pos)
        if not m:
            pos += 1
            bol = False
            continue
        kind = next(k for k in ("ws", "comment", "string", "char", "number", "ident", "punct")
                    if m.group(k) is not None)
        text = m.group(0)
        if kind not in ("ws", "comment"):
            toks.append(Tok(kind, text, pos, m.end(), line))
        line += text.count("\n")
        if kind == "ws":
            bol = bol or "\n" in text
        else:
            bol = False
        pos = m.end()
    return toks


# ---------------------------------------------------------------------------------------------------------
# Mutants
# ---------------------------------------------------------------------------------------------------------
SWAPS = {
    "<": ["<=", ">"], "<=": ["<", ">"], ">": [">=", "<"], ">=": [">", "<"], "==": ["!="], "!=": ["=="],
    "&&": ["||"], "||": ["&&"], "+": ["-"], "-": ["+"], "*": ["/"], "/": ["*"], "%": ["*"],
    "+=": ["-="], "-=": ["+="], "*=": ["/="], "/=": ["*="], "++": ["--"], "--": ["++"],
    "true": ["false"], "false": ["true"],
}
INT_RE = re.compile(r"^(0[xX][0-9a-fA-F']+|[0-9][0-9']*)([uUlL]*)$")


def template_spans(toks):
    """Indices of '<' and '>' that bracket template arguments (static_cast<int>, std::array<T, N>)."""
    skip = set()
    for i, t in enumerate(toks):
        if t.text != "<" or i == 0 or toks[i - 1].kind != "ident":
            continue
        depth, j = 1, i + 1
        while j < len(toks) and j < i + 40:
            x = toks[j]
            if x.text == "<":
                depth += 1
            elif x.text == ">":
                depth -= 1
                if depth == 0:
                    break
            elif x.text == ">>":
                depth -= 2
                if depth <= 0:
                    break
            elif not (x.kind in ("ident", "number") or x.text in ("::", "*", "&", ",", "const")):
                depth = -99
                break
            j += 1
        if depth <= 0 and depth > -99 and j < len(toks):
            after = toks[j + 1] if j + 1 < len(toks) else None
            if toks[i - 1].text.endswith("_cast") or toks[i - 1].text == "template" or (
                after is not None and after.text in ("(", "::", "{", ">", ",", ")", ";") or
                (after is not None and after.kind == "ident")):
                skip.add(i)
                skip.add(j)
    return skip


def is_binary(toks, i):
    """A '+', '-' or '*' between two operands, not a sign, a dereference or a pointer declaration."""
    prev = toks[i - 1] if i else None
    if prev is None:
        return False
    operand_end = prev.kind == "number" or prev.text in (")", "]") or (
        prev.kind == "ident" and prev.text not in KEYWORDS_NOT_TYPES)
    if not operand_end:
        return False
    if toks[i].text == "*" or toks[i].text == "&":
        # The repository's format writes 'Type *name' for pointers and 'a * b' for products.
        t = toks[i]
        nxt = toks[i + 1] if i + 1 < len(toks) else None
        return prev.end < t.start and nxt is not None and t.end < nxt.start or prev.text in (")", "]") or (
            prev.kind == "number")
    return True


def block_kinds(toks):
    """For every '{', whether it opens code (a function body or a nested statement block)."""
    kinds, stack = {}, []
    for i, t in enumerate(toks):
        if t.text == "{":
            prev = toks[i - 1].text if i else ""
            in_code = bool(stack) and stack[-1]
            code = prev in (")", "const", "noexcept", "override", "else", "do", "try") or (
                in_code and prev in (";", "{", "}", ":"))
            kinds[i] = code
            stack.append(code)
        elif t.text == "}" and stack:
            stack.pop()
    return kinds


def statements(toks):
    """(first token, last token) of simple statements in code blocks that can be deleted on their own."""
    kinds = block_kinds(toks)
    out, stack, i, n = [], [], 0, len(toks)
    boundary = True
    while i < n:
        t = toks[i]
        if t.text == "{":
            stack.append(kinds.get(i, False))
            boundary = True
            i += 1
            continue
        if t.text == "}":
            if stack:
                stack.pop()
            boundary = True
            i += 1
            continue
        if not stack or not stack[-1]:
            boundary = t.text in (";", "{", "}")
            i += 1
            continue
        if not boundary:
            boundary = t.text == ";"
            i += 1
            continue
        # At the start of a statement in a code block.
        if t.text in ("if", "while", "for", "switch"):
            j, depth = i + 1, 0
            while j < n:
                if toks[j].text == "(":
                    depth += 1
                elif toks[j].text == ")":
                    depth -= 1
                    if depth == 0:
                        break
                j += 1
            if t.text == "while" and j + 1 < n and toks[j + 1].text == ";":
                i = j + 2  # the end of a do-while
                continue
            i = j + 1
            continue
        if t.text in ("else", "do"):
            i += 1
            continue
        if t.text in ("case", "default"):
            while i < n and toks[i].text != ":":
                i += 1
            i += 1
            continue
        if t.kind == "ident" and i + 1 < n and toks[i + 1].text == ":":
            i += 2  # a label
            continue
        # A simple statement: scan to its ';'.
        j, depth, ok = i, 0, True
        while j < n:
            x = toks[j].text
            if x in ("(", "[", "{"):
                depth += 1
                if x == "{":
                    ok = False
            elif x in (")", "]", "}"):
                depth -= 1
                if depth < 0:
                    break
            elif x == ";" and depth == 0:
                break
            j += 1
        if j >= n or toks[j].text != ";":
            i = j
            boundary = True
            continue
        first = toks[i]
        decl = (first.kind == "ident" and first.text not in KEYWORDS_NOT_TYPES and i + 1 < j and
                (toks[i + 1].kind == "ident" or toks[i + 1].text in ("*", "&", "::", "<")))
        if first.text in ("static", "const", "constexpr", "auto", "struct", "unsigned", "extern"):
            decl = True
        if first.text == "return" and j > i + 1:
            ok = False  # a function that returns a value does not build without it
        if ok and not decl and j > i:
            out.append((i, j))
        i = j + 1
        boundary = True
    return out


def int_mutants(text):
    m = INT_RE.match(text)
    if not m:
        return []
    body, suffix = m.group(1), m.group(2)
    value = int(body.replace("'", ""), 16 if body[:2].lower() == "0x" else 10)
    fmt = (lambda v: hex(v)) if body[:2].lower() == "0x" else str
    outs = [fmt(value + 1) + suffix]
    if value > 0:
        outs.append(fmt(value - 1) + suffix)
    return outs


def make_mutants(path, src):
    toks = tokenize(src)
    skip_tpl = template_spans(toks)
    kinds = block_kinds(toks)
    # Which tokens lie in a data initializer at file scope (tables): constants there move by +1 only.
    in_data, stack = [], []
    for i, t in enumerate(toks):
        if t.text == "{":
            stack.append(kinds.get(i, False))
        in_data.append(bool(stack) and not any(stack))
        if t.text == "}" and stack:
            stack.pop()
    muts = []

    def add(start, end, new, what):
        line = src.count("\n", 0, start) + 1
        muts.append({"file": path, "line": line, "start": start, "end": end, "new": new, "what": what})

    for i, t in enumerate(toks):
        if t.kind == "number":
            prev = toks[i - 1] if i else None
            nxt = toks[i + 1] if i + 1 < len(toks) else None
            # An array bound in a declaration ('char name[64];'): resizing a buffer is not a behaviour.
            if prev and prev.text == "[" and nxt and nxt.text == "]" and i >= 3 and (
                    toks[i - 2].kind == "ident" and (toks[i - 3].kind == "ident" and
                                                     toks[i - 3].text not in KEYWORDS_NOT_TYPES or
                                                     toks[i - 3].text in ("*", "&", "]"))):
                continue
            for new in int_mutants(t.text)[: 1 if in_data[i] else 2]:
                add(t.start, t.end, new, f"{t.text} -> {new}")
        elif t.text in SWAPS:
            if t.text in ("<", ">") and i in skip_tpl:
                continue
            if t.text in ("+", "-", "*") and not is_binary(toks, i):
                continue
            if t.text in ("++", "--") and not (i + 1 < len(toks) and toks[i + 1].kind == "ident" or
                                               i and toks[i - 1].kind in ("ident",) or
                                               i and toks[i - 1].text in (")", "]")):
                continue
            for new in SWAPS[t.text]:
                add(t.start, t.end, new, f"'{t.text}' -> '{new}'")
    for a, b in statements(toks):
        text = src[toks[a].start:toks[b].end]
        add(toks[a].start, toks[b].end, "{}", "delete '" + " ".join(text.split())[:60] + "'")
    return muts


# ---------------------------------------------------------------------------------------------------------
# Running
# ---------------------------------------------------------------------------------------------------------
class Restorer:
    """Keeps the original text of the file being mutated, on disk too, and puts it back."""

    def __init__(self, journal):
        self.journal = journal
        self.current = None

    def recover(self):
        if os.path.exists(self.journal):
            with open(self.journal) as f:
                saved = json.load(f)
            with open(saved["file"], "w") as f:
                f.write(saved["text"])
            os.remove(self.journal)
            print(f"restored {saved['file']} left mutated by an interrupted run", file=sys.stderr)

    def write(self, path, original, mutated):
        with open(self.journal + ".tmp", "w") as f:
            json.dump({"file": path, "text": original}, f)
        os.replace(self.journal + ".tmp", self.journal)
        self.current = (path, original)
        with open(path, "w") as f:
            f.write(mutated)

    def restore(self):
        if self.current:
            path, original = self.current
            with open(path, "w") as f:
                f.write(original)
            self.current = None
        if os.path.exists(self.journal):
            os.remove(self.journal)


def run(cmd, timeout, cwd):
    """Exit code of cmd, or None if it ran past the timeout (its process group is then killed)."""
    p = subprocess.Popen(cmd, cwd=cwd, shell=isinstance(cmd, str), stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        return p.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(p.pid, signal.SIGKILL)
        p.wait()
        return None


def collect(paths, root):
    files = []
    for p in paths:
        full = os.path.realpath(p)
        if not full.startswith(root + os.sep):
            sys.exit(f"{p} is outside this worktree ({root})")
        if os.path.isdir(full):
            for name in sorted(os.listdir(full)):
                if name.endswith(".cpp") and not re.search(r"_(win32)\.cpp$", name):
                    files.append(os.path.join(full, name))
        else:
            files.append(full)
    return files


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("paths", nargs="+", help="product .cpp files or folders (folders: their .cpp files "
                    "that build natively)")
    ap.add_argument("--build", default="build/native", help="configured build directory")
    ap.add_argument("--target", default="tavo_tests", help="test target to rebuild")
    ap.add_argument("--test-cmd", help="test command (default: the target's binary with --gtest_fail_fast)")
    ap.add_argument("--sample", type=int, help="run only N mutants, picked at random")
    ap.add_argument("--seed", type=int, default=1, help="seed of the sample")
    ap.add_argument("--jobs", type=int, default=2, help="build jobs")
    ap.add_argument("--list", action="store_true", help="only list the mutants")
    ap.add_argument("--report", help="also write every result to this file (one JSON object a line)")
    args = ap.parse_args()

    # The worktree it runs from (or, outside git, the current folder): nothing outside it is touched.
    top = subprocess.run(["git", "rev-parse", "--show-toplevel"], capture_output=True, text=True)
    root = os.path.realpath(top.stdout.strip() if top.returncode == 0 else os.getcwd())
    files = collect(args.paths, root)
    build = os.path.realpath(args.build)
    journal = os.path.join(build, ".mutants-journal.json")
    restorer = Restorer(journal)
    if not args.list:
        if not os.path.isfile(os.path.join(build, "CMakeCache.txt")):
            sys.exit(f"{build} is not a configured build directory (cmake --preset native)")
        restorer.recover()

    mutants = []
    for f in files:
        with open(f) as fh:
            mutants += make_mutants(f, fh.read())
    total_made = len(mutants)
    if args.sample and args.sample < len(mutants):
        mutants = random.Random(args.seed).sample(mutants, args.sample)
        mutants.sort(key=lambda m: (m["file"], m["start"]))
    rel = lambda p: os.path.relpath(p, root)
    if args.list:
        for m in mutants:
            print(f"{rel(m['file'])}:{m['line']}: {m['what']}")
        print(f"{len(mutants)} of {total_made} mutants")
        return 0

    test_cmd = args.test_cmd or (shlex.quote(os.path.join(build, "tests", args.target)) +
                                 " --gtest_fail_fast --gtest_brief=1")
    build_cmd = ["cmake", "--build", build, "--target", args.target, "-j", str(args.jobs)]
    if shutil.which("ccache") and "ccache" not in open(os.path.join(build, "CMakeCache.txt")).read():
        print("note: ccache is installed; configure with -DCMAKE_CXX_COMPILER_LAUNCHER=ccache to use it")

    def interrupted(signum, frame):
        restorer.restore()
        print("\ninterrupted; file restored", file=sys.stderr)
        sys.exit(130)

    signal.signal(signal.SIGINT, interrupted)
    signal.signal(signal.SIGTERM, interrupted)
    signal.signal(signal.SIGHUP, interrupted)

    print(f"baseline build and test ({len(mutants)} of {total_made} mutants to run)", flush=True)
    if run(build_cmd, 3600, root) != 0:
        sys.exit("the unmutated tree does not build")
    t0 = time.time()
    if run(test_cmd, 3600, root) != 0:
        sys.exit("the unmutated tests fail")
    timeout = max(10.0, 5 * (time.time() - t0) + 5)

    results = defaultdict(lambda: {"killed": 0, "survived": 0, "nobuild": 0, "timeout": 0})
    survivors = []
    report = open(args.report, "w") if args.report else None
    texts = {}
    try:
        for n, m in enumerate(mutants, 1):
            path = m["file"]
            if path not in texts:
                with open(path) as fh:
                    texts[path] = fh.read()
            src = texts[path]
            restorer.write(path, src, src[:m["start"]] + m["new"] + src[m["end"]:])
            if run(build_cmd, 1800, root) != 0:
                status = "nobuild"
            else:
                rc = run(test_cmd, timeout, root)
                status = "timeout" if rc is None else "killed" if rc != 0 else "survived"
            restorer.restore()
            results[path][status] += 1
            where = f"{rel(path)}:{m['line']}"
            print(f"[{n}/{len(mutants)}] {status:8} {where}: {m['what']}", flush=True)
            if status == "survived":
                survivors.append(f"{where}: {m['what']}")
            if report:
                report.write(json.dumps({"where": where, "what": m["what"], "status": status}) + "\n")
                report.flush()
    finally:
        restorer.restore()
        if report:
            report.close()
        run(build_cmd, 3600, root)  # leave the build matching the restored sources

    def rate(r):
        dead = r["killed"] + r["timeout"]
        return 100.0 * dead / (dead + r["survived"]) if dead + r["survived"] else 100.0

    print("\nsurviving mutants:")
    for s in survivors:
        print("  " + s)
    print("\nkill rate (killed+timeout / built; mutants that do not build are counted apart):")
    folders = defaultdict(lambda: {"killed": 0, "survived": 0, "nobuild": 0, "timeout": 0})
    for path, r in sorted(results.items()):
        for k, v in r.items():
            folders[os.path.dirname(rel(path))][k] += v
        print(f"  {rel(path):40} {rate(r):5.1f} %  killed {r['killed']} timeout {r['timeout']} "
              f"survived {r['survived']} nobuild {r['nobuild']}")
    for folder, r in sorted(folders.items()):
        print(f"  {folder + '/':40} {rate(r):5.1f} %  killed {r['killed']} timeout {r['timeout']} "
              f"survived {r['survived']} nobuild {r['nobuild']}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
