#!/usr/bin/env python3
"""Writes the benchmark formula corpus, one formula a line, deterministically.

  gen_corpus.py OUTDIR [--count N] [--seed S]

OUTDIR/corpus.txt   every formula (numeric, text, logical, nested calls), 10-200 characters
OUTDIR/numeric.txt  the pure arithmetic ones: numbers, + - * / ^, unary minus, parentheses
OUTDIR/shared.txt   the ones a general spreadsheet engine understands too: no variables, only
                    functions such engines also have, no doubled quotes, no bare TRUE/FALSE
OUTDIR/variables.txt  the pure arithmetic ones with two to four of their numbers made the
                    variables a, b, c and d (in that order), for evaluation over rows

The mix follows what a report template holds: mostly short arithmetic on fields, text
joined for captions, conditions, and some nesting of calls.
"""
import argparse
import os
import random
import re

# (class, share of the corpus)
MIX = [
    ("arithmetic", 0.25),  # pure numbers and operators
    ("numeric", 0.15),     # arithmetic with fields and numeric functions
    ("text", 0.25),
    ("logical", 0.15),
    ("nested", 0.20),
]

FIELDS = ["A1", "B2", "C10", "金额", "单价", "数量", "Total", "x", "rate_1", "售价"]
WORDS = ["收入", "合计", "本月", "元", "Report", "abc", "Q1", "部门", "x", "备注", "Total:", "年度"]
OWN_FUNCTIONS = {"RMBDX", "LEFTB", "RIGHTB", "MIDB", "LENB", "FINDB"}


class Gen:
    def __init__(self, rng):
        self.r = rng
        self.reset()

    # Features a general spreadsheet engine reads differently: fields (cell names there),
    # our own functions, doubled quotes inside a literal, bare TRUE and FALSE.
    def reset(self):
        self.uses_field = False
        self.uses_own = False
        self.uses_quote_pair = False
        self.uses_bare_boolean = False

    # number: whole or with two decimals
    def number(self):
        r = self.r
        if r.random() < 0.6:
            return str(r.randint(0, 10000) if r.random() < 0.5 else r.randint(1, 99))
        return "%d.%02d" % (r.randint(0, 999), r.randint(0, 99))

    def field(self):
        self.uses_field = True
        return self.r.choice(FIELDS)

    def string(self):
        w = self.r.choice(WORDS)
        if self.r.random() < 0.05:
            w = w + '""' + self.r.choice(WORDS)  # a quote inside the literal
            self.uses_quote_pair = True
        return '"' + w + '"'

    # arithmetic: term (op term)*, numbers only
    def arithmetic(self, depth):
        r = self.r
        parts = [self.arith_term(depth)]
        for _ in range(r.randint(1, 4)):
            parts.append(r.choice("+-*/+-*+"))
            parts.append(self.arith_term(depth))
        return "".join(parts)

    def arith_term(self, depth):
        r = self.r
        x = r.random()
        if depth > 0 and x < 0.2:
            return "(" + self.arithmetic(depth - 1) + ")"
        if x < 0.25:
            return "-" + self.number()
        if x < 0.3:
            return str(r.randint(1, 9)) + "^" + str(r.randint(0, 3))
        return self.number()

    # numeric: arithmetic over fields and numeric functions
    def numeric(self, depth):
        r = self.r
        parts = [self.num_term(depth)]
        for _ in range(r.randint(0, 3)):
            parts.append(r.choice("+-*/"))
            parts.append(self.num_term(depth))
        return "".join(parts)

    def num_term(self, depth):
        r = self.r
        x = r.random()
        if x < 0.35:
            return self.field() if r.random() < 0.7 else self.number()
        if x < 0.45 and depth > 0:
            return "(" + self.numeric(depth - 1) + ")"
        if depth <= 0 or x < 0.6:
            return self.number()
        return self.num_call(depth - 1)

    def num_call(self, depth):
        r = self.r
        f = r.choice(["ROUND", "ROUND", "INT", "MOD", "TRUNC", "SIGN", "LEN", "FIND", "CODE", "LENB"])
        if f in OWN_FUNCTIONS:
            self.uses_own = True
        if f == "ROUND" or f == "TRUNC":
            return "%s(%s,%d)" % (f, self.numeric(depth), r.randint(0, 3))
        if f == "MOD":
            return "MOD(%s,%d)" % (self.numeric(depth), r.randint(1, 12))
        if f in ("INT", "SIGN"):
            return "%s(%s)" % (f, self.numeric(depth))
        if f == "FIND":
            return 'FIND("%s",%s)' % (r.choice("abcx元"), self.text(depth))
        return "%s(%s)" % (f, self.text(depth))

    # text: literals and fields joined with "&", text functions
    def text(self, depth):
        r = self.r
        parts = [self.text_term(depth)]
        for _ in range(r.randint(0, 2)):
            parts.append("&")
            parts.append(self.text_term(depth))
        return "".join(parts)

    def text_term(self, depth):
        r = self.r
        x = r.random()
        if x < 0.45 or depth <= 0:
            return self.string() if r.random() < 0.8 else self.field()
        if x < 0.55:
            return self.number()
        f = r.choice(["LEFT", "RIGHT", "MID", "CHAR", "IF", "LEFT", "MID", "RMBDX", "LEFTB"])
        if f in OWN_FUNCTIONS:
            self.uses_own = True
        d = depth - 1
        if f in ("LEFT", "RIGHT", "LEFTB"):
            return "%s(%s,%d)" % (f, self.text(d), r.randint(0, 5))
        if f == "MID":
            return "MID(%s,%d,%d)" % (self.text(d), r.randint(1, 4), r.randint(1, 5))
        if f == "CHAR":
            return "CHAR(%d)" % r.randint(65, 90)
        if f == "RMBDX":
            return "RMBDX(%s)" % self.number()
        return "IF(%s,%s,%s)" % (self.logical(d), self.text(d), self.text(d))

    # logical: comparisons and the logical functions
    def logical(self, depth):
        r = self.r
        x = r.random()
        if x < 0.45 or depth <= 0:
            if r.random() < 0.75:
                return self.numeric(0) + r.choice(["=", "<>", ">", ">=", "<", "<="]) + self.numeric(0)
            return self.text(0) + r.choice(["=", "<>"]) + self.string()
        if x < 0.55:
            self.uses_bare_boolean = True
            return r.choice(["TRUE", "FALSE", "true"])
        f = r.choice(["AND", "OR", "NOT", "EXACT"])
        d = depth - 1
        if f == "NOT":
            return "NOT(%s)" % self.logical(d)
        if f == "EXACT":
            return "EXACT(%s,%s)" % (self.text(d), self.string())
        return "%s(%s)" % (f, ",".join(self.logical(d) for _ in range(r.randint(2, 3))))

    # nested: calls inside calls, IF over numbers and texts
    def nested(self, depth):
        r = self.r
        x = r.random()
        if x < 0.35:
            return "IF(%s,%s,%s)" % (self.logical(depth), self.numeric(depth), self.numeric(depth))
        if x < 0.55:
            return "ROUND(%s,%d)" % (self.num_call(depth), r.randint(0, 2))
        if x < 0.75:
            return "IF(%s,%s,%s)" % (self.logical(depth), self.text(depth), self.text(depth))
        return "%s&%s" % (self.text(depth), self.num_call(depth))

    def make(self, cls):
        depth = self.r.randint(1, 3)
        return getattr(self, cls)(depth)


def generate(count, seed):
    rng = random.Random(seed)
    gen = Gen(rng)
    classes = [c for c, _ in MIX]
    weights = [w for _, w in MIX]
    out = []
    while len(out) < count:
        cls = rng.choices(classes, weights)[0]
        for _ in range(50):
            gen.reset()
            f = gen.make(cls)
            if 10 <= len(f) <= 200:
                break
        else:
            continue
        shared = not (gen.uses_field or gen.uses_own or gen.uses_quote_pair or gen.uses_bare_boolean)
        out.append((cls, f, shared))
    return out


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("outdir")
    p.add_argument("--count", type=int, default=100000)
    p.add_argument("--seed", type=int, default=20261207)
    a = p.parse_args()
    os.makedirs(a.outdir, exist_ok=True)
    formulas = generate(a.count, a.seed)
    with open(os.path.join(a.outdir, "corpus.txt"), "w", encoding="utf-8", newline="\n") as all_, \
            open(os.path.join(a.outdir, "numeric.txt"), "w", encoding="utf-8", newline="\n") as num, \
            open(os.path.join(a.outdir, "shared.txt"), "w", encoding="utf-8", newline="\n") as sh:
        for cls, f, shared in formulas:
            all_.write(f + "\n")
            if cls == "arithmetic":
                num.write(f + "\n")
            if shared:
                sh.write(f + "\n")
    # A generator of its own, so that the files above stay as they were.
    vr = random.Random(a.seed + 1)
    with open(os.path.join(a.outdir, "variables.txt"), "w", encoding="utf-8", newline="\n") as var:
        for cls, f, _ in formulas:
            numbers = list(re.finditer(r"\d+(?:\.\d+)?", f)) if cls == "arithmetic" else []
            if len(numbers) < 2:
                continue
            chosen = sorted(vr.sample(range(len(numbers)), min(len(numbers), vr.randint(2, 4))))
            out, last = [], 0
            for name, index in zip("abcd", chosen):
                m = numbers[index]
                out += [f[last:m.start()], name]
                last = m.end()
            var.write("".join(out) + f[last:] + "\n")
    counts = {}
    for cls, _, _ in formulas:
        counts[cls] = counts.get(cls, 0) + 1
    total = sum(len(f.encode("utf-8")) for _, f, _ in formulas)
    print("corpus: %d formulas, %d bytes; %s; shared %d" % (
        len(formulas), total, ", ".join("%s %d" % kv for kv in counts.items()),
        sum(1 for _, _, s in formulas if s)))


if __name__ == "__main__":
    main()
