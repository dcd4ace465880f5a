"""Runs the command-line tool on each case of cases.tsv and checks its exit status and that
its output holds the expected text; then feeds a batch one formula at a time."""
import os, re, select, subprocess, sys, tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def main(cli, cases):
    tmp = tempfile.mkdtemp(prefix="nemro-cli-")
    words = {"n": "\n", "t": "\t", "r": "\r", "fs": "\x0e", "es": "\x0f",
             "bundled": os.path.join(os.path.dirname(cli), "FormulaSet.xml"),
             "missing": os.path.join(tmp, "no_such_catalogue.xml"),
             "faulty": os.path.join(HERE, "faulty_catalogue.xml"),
             "check": os.path.join(HERE, "check", "FormulaSet.xml"),
             "data": os.path.join(HERE, "..", "catalogue")}
    expand = lambda s: re.sub(r"\{(\w+)\}", lambda m: words.get(m.group(1), m.group(0)), s)
    failed = 0
    for number, line in enumerate(open(cases, encoding="utf-8"), 1):
        if not line.strip() or line.startswith("#"):
            continue
        rc, want, stdin, *argv = [expand(f) for f in line.rstrip("\n").split("\t")]
        p = subprocess.run([cli] + argv, input=stdin.encode(), capture_output=True, timeout=60)
        out = p.stdout.decode(errors="replace")
        if p.returncode != int(rc) or want not in out:
            failed += 1
            print("line %d %r: exit %d, expected %s; output lacks %r?\n%s%s" % (
                number, argv, p.returncode, rc, want, out, p.stderr.decode(errors="replace")))
    # A host that feeds a batch one formula at a time gets each answer before it sends the next.
    proc = subprocess.Popen([cli, "eval", "--batch"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    got = []
    for formula in ("1+2", 'LEFT("ab",1)', "(1"):
        proc.stdin.write((formula + "\n").encode())
        proc.stdin.flush()
        if not select.select([proc.stdout], [], [], 10)[0]:
            proc.kill()
            sys.exit("no answer to %r while the input stays open" % formula)
        got.append(proc.stdout.readline().decode().rstrip("\n"))
    proc.stdin.close()
    if got != ["number\t3", "string\ta", "error 35: 期望配对的右括号。"] or proc.wait(10) != 1:
        failed += 1
        print("batch one at a time: got %r, exit %s" % (got, proc.returncode))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
