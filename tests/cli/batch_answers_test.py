"""A host that feeds a batch one formula at a time gets each answer before it sends the next."""
import select
import subprocess
import sys


def answer(proc, formula):
    proc.stdin.write((formula + "\n").encode())
    proc.stdin.flush()
    ready, _, _ = select.select([proc.stdout], [], [], 10)
    if not ready:
        sys.exit("no answer to %r while the input stays open" % formula)
    return proc.stdout.readline().decode().rstrip("\n")


def main(cli):
    proc = subprocess.Popen([cli, "eval", "--batch"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    got = [answer(proc, f) for f in ("1+2", 'LEFT("ab",1)', "(1")]
    proc.stdin.close()
    rc = proc.wait(10)
    want = ["number\t3", "string\ta", "error 35: 期望配对的右括号。"]
    if got != want or rc != 1:
        sys.exit("got %r, exit %d" % (got, rc))


if __name__ == "__main__":
    main(sys.argv[1])
