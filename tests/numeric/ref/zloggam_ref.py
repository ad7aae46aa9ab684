# zloggam_ref.py - reference values of the log-scale gamma service for
# tests/numeric/zloggam_test.cpp: ln P(a, x), ln Q(a, x), the log density and quantiles.
# mpmath gammainc(regularized = True) at 40 digits (the reference); R pgamma(log.p = TRUE)
# as a cross-check; quantiles by mpmath findroot on ln P(a, x) = ln p from R's qgamma.
# Run: /usr/bin/python3 zloggam_ref.py
import mpmath
from mpmath import mpf, log
from gamma_mp import lower_series
from refutil import r_floats, write_values

mpmath.mp.dps = 40


def tails(x, a):
    x, a = mpf(x), mpf(a)
    # the smaller-looking tail directly, the other as its complement (40 digits leave
    # far more than double precision in it)
    if x <= a:
        lo = lower_series(a, x)
        up = 1 - lo
    else:
        up = mpmath.gammainc(a, x, mpmath.inf, regularized=True)
        lo = 1 - up
    ld = (a - 1) * log(x) - x - mpmath.loggamma(a)
    return log(lo), log(up), ld


T = []
for a in (0.01, 0.3, 0.5, 1.0, 2.0, 7.5, 30.0, 1000.0, 1e5):
    for r in (1e-300 / a if a < 1 else 1e-3, 0.05, 0.5, 0.9, 1.0, 1.1, 2.0, 5.0, 99.0, 150.0, 5000.0):
        x = a * r
        if x > 2e6:
            continue
        T.append((x, a))
T += [(1e6, 2.0), (1e-300, 0.3), (700.0, 3.0), (50.0, 0.6), (1e-200, 5.0)]
rt = r_floats(["pgamma(%r, %r, log.p = TRUE)" % (x, a) for x, a in T] +
            ["pgamma(%r, %r, lower.tail = FALSE, log.p = TRUE)" % (x, a) for x, a in T])
rows = []
for i, (x, a) in enumerate(T):
    lo, up, ld = tails(x, a)
    rows.append((x, a, lo, up, ld, rt[i], rt[len(T) + i]))
write_values("zloggam_tails.tsv", "zloggam_ref.py",
      "mpmath %s gammainc at 40 digits; R pgamma(log.p = TRUE) via Rscript" % mpmath.__version__,
      ["x", "a", "lo", "up", "ld", "r_lo", "r_up"], rows,
      ["lo, up: ln P(a, x), ln Q(a, x); ld: ln of the gamma density (mpmath); r_lo, r_up: R"])

Q = []
for a in (0.05, 0.5, 1.0, 3.0, 40.0, 2500.0):
    for p in (1e-300, 1e-30, 1e-5, 0.01, 0.3, 0.5, 0.9, 0.999, 1 - 1e-8):
        Q.append((p, a))
rq = r_floats(["qgamma(%r, %r)" % (p, a) for p, a in Q])
rows = []
for (p, a), start in zip(Q, rq):
    aa, lp = mpf(a), log(mpf(p))
    f = lambda lx: log(lower_series(aa, mpmath.exp(lx))) - lp
    lx = mpmath.findroot(f, log(mpf(start)) if start > 0 else log(mpf(p)) / aa)
    x = mpmath.exp(lx)
    assert abs(f(lx)) < mpf(10) ** -25, (p, a)
    rows.append((p, a, x, start))
write_values("zloggam_quantile.tsv", "zloggam_ref.py",
      "mpmath %s findroot at 40 digits from R qgamma" % mpmath.__version__,
      ["p", "a", "x", "r_x"], rows, ["x: P(a, x) = p (mpmath); r_x: R qgamma"])
