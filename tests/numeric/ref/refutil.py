# refutil.py - helpers shared by the reference-value scripts of tests/numeric/ref/.
# Tools: Python 3 (/usr/bin/python3, Debian) with mpmath 1.2.1 and scipy 1.10.1;
# R 4.2.2 Patched (2022-11-10 r83330), Debian r-base-core, called through Rscript.
# Values are printed with 17 significant digits (%.17g), which round-trips a double.
import subprocess

def f17(v):
    """A number (mpf or float) rounded to the nearest double, printed with %.17g."""
    s = "%.17g" % float(v)
    if s in ("inf", "-inf", "nan"):
        return {"inf": "HUGE_VAL", "-inf": "-HUGE_VAL", "nan": "NAN"}[s]
    return s

def r_values(exprs):
    """Evaluates each R expression (a string) and returns the results as strings (%.17g)."""
    prog = "options(warn=-1)\n" + "".join(
        'cat(sprintf("%%.17g\\n", as.numeric(%s)))\n' % e for e in exprs)
    out = subprocess.run(["Rscript", "-e", prog], capture_output=True, text=True, check=True).stdout
    vals = out.split()
    assert len(vals) == len(exprs), (len(vals), len(exprs))
    return [{"Inf": "HUGE_VAL", "-Inf": "-HUGE_VAL", "NaN": "NAN", "NA": "NAN"}.get(v, v) for v in vals]
