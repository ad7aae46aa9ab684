# zlogcnc_ref.py - reference values of the noncentral chi-square service for
# tests/numeric/zlogcnc_test.cpp: log tails, log density, quantiles, and the plain
# distribution function.  mpmath at 40 digits (the reference: the Poisson mixture of
# central tails, the Bessel form of the density, findroot for quantiles); R pchisq,
# dchisq, qchisq(ncp =) and SciPy stats.ncx2 as cross-checks.
# Run: /usr/bin/python3 zlogcnc_ref.py
import mpmath
import numpy
import scipy
from mpmath import mpf, log
from scipy.stats import ncx2
from refutil import r_floats, write_values
from gamma_mp import lower_series

mpmath.mp.dps = 40


def central(a, x2):
    """(P(a, x2), Q(a, x2)), the smaller-looking one computed directly."""
    if x2 <= a:
        p = lower_series(a, x2)
        return p, 1 - p
    q = mpmath.gammainc(a, x2, mpmath.inf, regularized=True)
    return 1 - q, q


def tails(x, df, nc):
    x2, a, lam = mpf(x) / 2, mpf(df) / 2, mpf(nc) / 2
    lo = up = mpf(0)
    j = 0
    while True:
        lw = j * log(lam) - lam - mpmath.loggamma(j + 1) if lam > 0 else (0 if j == 0 else -mpmath.inf)
        if lw == -mpmath.inf:
            break
        p, q = central(a + j, x2)
        tl, tu = mpmath.exp(lw) * p, mpmath.exp(lw) * q
        lo += tl
        up += tu
        if j > lam + 10 and tl < lo * mpf(10) ** -45 and tu < up * mpf(10) ** -45:
            break
        j += 1
    return lo, up


def log_density(x, df, nc):
    x, df, nc = mpf(x), mpf(df), mpf(nc)
    return (log(mpf(0.5)) - (x + nc) / 2 + (df - 2) / 4 * log(x / nc) +
            log(mpmath.besseli((df - 2) / 2, mpmath.sqrt(nc * x), maxterms=10**6)))


SOFT = "mpmath %s at 40 digits; R pchisq/dchisq/qchisq(ncp =) via Rscript; SciPy %s stats.ncx2" % (
    mpmath.__version__, scipy.__version__)

T = [(0.5, 3, 1.0), (3.0, 3, 1.0), (10.0, 5, 2.5), (40.0, 5, 2.5), (150.0, 4, 10.0),
     (0.01, 2, 20.0), (1.0, 10, 30.0), (60.0, 10, 30.0), (200.0, 10, 30.0),
     (0.7, 0.5, 0.3), (5.0, 1.5, 4.0), (450.0, 20, 400.0), (300.0, 20, 400.0), (700.0, 20, 400.0),
     (550.0, 7, 600.0), (900.0, 7, 600.0), (2.0, 4, 0.0), (90.0, 4, 0.0), (1e-3, 6, 50.0),
     (1200.0, 3, 5.0), (1100.0, 10, 1000.0), (700.0, 10, 1000.0), (1010.0, 10, 1000.0)]
ex = []
for x, df, nc in T:
    ex += ["pchisq(%r, %r, ncp = %r, log.p = TRUE)" % (x, df, nc),
           "pchisq(%r, %r, ncp = %r, lower.tail = FALSE, log.p = TRUE)" % (x, df, nc)]
rv = r_floats(ex)
rows = []
for i, (x, df, nc) in enumerate(T):
    lo, up = tails(x, df, nc)
    with numpy.errstate(all="ignore"):
        slo, sup = float(ncx2.logcdf(x, df, nc)), float(ncx2.logsf(x, df, nc))
    rows.append((x, df, nc, log(lo), log(up), rv[2 * i], rv[2 * i + 1], slo, sup))
write_values("zlogcnc_tails.tsv", "zlogcnc_ref.py", SOFT,
      ["x", "df", "nc", "lo", "up", "r_lo", "r_up", "scipy_lo", "scipy_up"], rows,
      ["lo, up: ln P(X <= x), ln P(X > x) (mpmath); R and SciPy the same"])

D = [(0.5, 3, 1.0), (10.0, 5, 2.5), (150.0, 4, 10.0), (0.01, 1.0, 20.0), (60.0, 10, 30.0),
     (450.0, 20, 400.0), (5.0, 1.5, 4.0), (3000.0, 8, 50.0), (2.0, 2, 3.0)]
rd = r_floats(["dchisq(%r, %r, ncp = %r, log = TRUE)" % d for d in D])
rows = []
for (x, df, nc), r in zip(D, rd):
    with numpy.errstate(all="ignore"):
        s = float(ncx2.logpdf(x, df, nc))
    rows.append((x, df, nc, log_density(x, df, nc), r, s))
write_values("zlogcnc_density.tsv", "zlogcnc_ref.py", SOFT, ["x", "df", "nc", "ld", "r_ld", "scipy_ld"], rows,
      ["ld: ln f(x) (mpmath)"])

Q = [(0.5, 3, 1.0), (0.01, 5, 2.5), (0.99, 5, 2.5), (1e-10, 4, 10.0), (0.999999, 10, 30.0),
     (0.3, 20, 400.0), (0.9, 7, 600.0), (0.05, 0.5, 0.3), (0.7, 4, 0.0), (1e-8, 3, 0.0)]
rq = r_floats(["qchisq(%r, %r, ncp = %r)" % q for q in Q])
rows = []
for (p, df, nc), start in zip(Q, rq):
    lp = log(mpf(p))
    f = lambda lx: log(tails(mpmath.exp(lx), df, nc)[0]) - lp
    lx = mpmath.findroot(f, log(mpf(start)))
    assert abs(f(lx)) < mpf(10) ** -25, (p, df, nc)
    rows.append((p, df, nc, mpmath.exp(lx), start, float(ncx2.ppf(p, df, nc)) if nc > 0 else start))
write_values("zlogcnc_quantile.tsv", "zlogcnc_ref.py", SOFT, ["p", "df", "nc", "x", "r_x", "scipy_x"], rows,
      ["x: P(X <= x) = p (mpmath findroot from R qchisq)"])
