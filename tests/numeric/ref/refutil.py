# refutil.py - helpers shared by the reference-value scripts of tests/numeric/ref/.
# Tools: Python 3 (/usr/bin/python3, Debian) with mpmath 1.2.1 and scipy 1.10.1;
# R 4.2.2 Patched (2022-11-10 r83330), Debian r-base-core, called through Rscript.
# Values are written with 17 significant digits (%.17g), which round-trips a double.
import os
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SPECIAL = {"inf": "inf", "-inf": "-inf", "nan": "nan", "Inf": "inf", "-Inf": "-inf", "NaN": "nan", "NA": "nan"}


def f17(v):
    """A number (mpf or float) rounded to the nearest double, printed with %.17g."""
    s = "%.17g" % float(v)
    return SPECIAL.get(s, s)


def r_values(exprs):
    """Evaluates each R expression (a string) and returns the results as strings (%.17g)."""
    prog = "options(warn=-1)\n" + "".join(
        'cat(sprintf("%%.17g\\n", as.numeric(%s)))\n' % e for e in exprs)
    with tempfile.NamedTemporaryFile("w", suffix=".R") as f:  # Rscript -e truncates long programs
        f.write(prog)
        f.flush()
        out = subprocess.run(["Rscript", f.name], capture_output=True, text=True, check=True).stdout
    vals = out.split()
    assert len(vals) == len(exprs), (len(vals), len(exprs))
    return [SPECIAL.get(v, v) for v in vals]


def write_table(name, script, columns, rows, comment=""):
    """Writes ref/<name>: the do-not-edit line, the comment, the column names, the rows
    (each a list of already formatted strings), tab-separated; the tests read it."""
    with open(os.path.join(HERE, name), "w") as f:
        f.write("# DO NOT EDIT: written by %s\n" % script)
        if comment:
            f.write("# %s\n" % comment)
        f.write("\t".join(columns.split()) + "\n")
        for r in rows:
            f.write("\t".join(r) + "\n")
    print("wrote", name, len(rows), "rows")


def r_floats(exprs):
    """r_values as floats (inf, -inf and nan for R's Inf, -Inf, NaN and NA)."""
    return [float(v) for v in r_values(exprs)]


def write_values(name, script, software, columns, rows, notes=()):
    """write_table for rows of numbers: the do-not-edit line names the script and the
    software, each note is a comment line, every value is written with f17."""
    write_table(name, "ref/%s (%s)" % (script, software), " ".join(columns),
                [[f17(v) for v in r] for r in rows], "\n# ".join(notes))
