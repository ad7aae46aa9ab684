# tsvout.py - writes the reference tables of the scripts in this folder in the layout
# that tests/numeric/accuracy_check.h reads (a DO NOT EDIT line naming the script and
# the software, a header line of column names, one row per case; %.17g round-trips a
# double).
import os
import mpmath

HERE = os.path.dirname(os.path.abspath(__file__))


def g17(v):
    f = float(v)
    if f != f:
        return "nan"
    if f in (float("inf"), float("-inf")):
        return "inf" if f > 0 else "-inf"
    return "%.17g" % f


def write(name, script, software, columns, rows, notes=()):
    with open(os.path.join(HERE, name), "w") as out:
        out.write("# DO NOT EDIT: written by ref/%s (%s)\n" % (script, software))
        for n in notes:
            out.write("# %s\n" % n)
        out.write("\t".join(columns) + "\n")
        for r in rows:
            out.write("\t".join(g17(v) for v in r) + "\n")


def r_eval(exprs):
    """Evaluates R expressions (strings) through Rscript and returns floats (-inf, inf
    and nan for R's -Inf, Inf, NaN and NA).  The program goes through a file, as long
    programs do not fit Rscript's -e."""
    import subprocess
    import tempfile
    prog = "options(warn=-1)\n" + "".join(
        'cat(sprintf("%%.17g\\n", suppressWarnings(as.numeric(%s))))\n' % e for e in exprs)
    with tempfile.NamedTemporaryFile("w", suffix=".R") as f:
        f.write(prog)
        f.flush()
        out = subprocess.run(["Rscript", f.name], capture_output=True, text=True, check=True).stdout
    vals = out.split()
    assert len(vals) == len(exprs), (len(vals), len(exprs))
    return [float({"Inf": "inf", "-Inf": "-inf", "NaN": "nan", "NA": "nan"}.get(v, v)) for v in vals]
