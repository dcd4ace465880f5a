"""Runs the command-line tool on each case of cases.tsv and checks its exit status and that
its output holds the expected text; then feeds a batch one formula at a time."""
import os, re, select, subprocess, sys, tempfile

cli, here = sys.argv[1], os.path.dirname(os.path.abspath(__file__))
scratch = tempfile.TemporaryDirectory(prefix="nemro-cli-")  # removed when the run ends
words = {"n": "\n", "t": "\t", "r": "\r", "fs": "\x0e", "es": "\x0f", "cb": "\udc80",
         "bundled": os.path.join(os.path.dirname(cli), "FormulaSet.xml"),
         "missing": os.path.join(scratch.name, "no_such_catalogue.xml"),
         "faulty": os.path.join(here, "faulty_catalogue.xml"),
         "check": os.path.join(here, "check", "FormulaSet.xml"), "here": here,
         "data": os.path.join(here, "..", "catalogue"), "bom": "\ufeff"}
failed = []
for number, line in enumerate(open(sys.argv[2], encoding="utf-8"), 1):
    if line.strip() and not line.startswith("#"):
        rc, want, stdin, *argv = [re.sub(r"\{(\w+)\}", lambda m: words.get(m[1], m[0]), f)
                                  for f in line.rstrip("\n").split("\t")]
        p = subprocess.run([cli] + argv, input=stdin.encode("utf-8", "surrogateescape"), capture_output=True, timeout=60)
        # "stderr:TEXT" looks for TEXT in the standard error instead.
        out = p.stderr if want.startswith("stderr:") else p.stdout
        if p.returncode != int(rc) or want.removeprefix("stderr:").encode() not in out:
            failed.append("line %d %r: exit %d, expected %s and %r in\n%s%s" % (
                number, argv, p.returncode, rc, want, p.stdout.decode(), p.stderr.decode()))
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
    failed.append("batch one at a time: got %r, exit %s" % (got, proc.returncode))
sys.exit("\n".join(failed) or None)
