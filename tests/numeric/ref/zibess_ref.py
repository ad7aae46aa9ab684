# zibess_ref.py - reference values of ln I_nu(x) for tests/numeric/zibess_test.cpp.
# mpmath besseli at 40 digits (the reference), R besselI(x, nu, expon.scaled = TRUE)
# and SciPy special.ive (cross-checks, as ln(ive) + x).
# Run: /usr/bin/python3 zibess_ref.py
import mpmath
import numpy
import scipy
from scipy import special
from refutil import r_floats, write_values

mpmath.mp.dps = 40
CASES = []
for nu in (0.0, 0.5, 1.0, 2.5, 7.3, 20.0, 35.0, 35.6, 36.2, 50.0, 120.5, 1000.0, 1e4):
    for x in (1e-300, 1e-5, 0.3, 1.9, 2.5, 7.0, 11.5, 12.5, 16.0, 17.0, 25.0, 60.0, 400.0, 5000.0, 1e5):
        CASES.append((nu, x))
CASES += [(5.55, 17.0), (5.56, 17.0), (13.48, 100.0), (13.49, 100.0), (0.25, 17.0), (3.0, 3.0)]

rvals = r_floats(["log(besselI(%r, %r, expon.scaled = TRUE)) + %r" % (x, nu, x) for nu, x in CASES])
rows = []
for (nu, x), r in zip(CASES, rvals):
    ref = mpmath.log(mpmath.besseli(mpmath.mpf(nu), mpmath.mpf(x), maxterms=10**6))
    with numpy.errstate(all="ignore"):
        sp = float(numpy.log(special.ive(nu, x))) + x
    rows.append((nu, x, ref, r, sp))
write_values("zibess.tsv", "zibess_ref.py",
      "mpmath %s at 40 digits; R besselI(expon.scaled = TRUE) via Rscript; SciPy %s special.ive"
      % (mpmath.__version__, scipy.__version__),
      ["nu", "x", "lnI", "r_lnI", "scipy_lnI"], rows,
      ["lnI: ln I_nu(x) by mpmath; r_lnI, scipy_lnI: the same from R and SciPy (-inf where they underflow)"])
