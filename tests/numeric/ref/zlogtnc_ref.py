# zlogtnc_ref.py - reference values for tests/numeric/zlogtnc_test.cpp (zlogtnc, zldntnc).
# Tools: mpmath 1.2.1 at 30 digits (the reference; nct_mp.py: both tails and the density
# as integrals over the chi-square variable, quantiles by bisection-safe root finding)
# and R 4.2.2 pt(log.p = TRUE) / dt(log = TRUE) / qt() with ncp = (cross-check; R's pnt
# switches to a rough normal approximation for |ncp| > 37.62); scipy 1.10.1 nct.ppf only
# as a starting point; Python 3 /usr/bin/python3 (Debian); generated 2026-12-06.
# Run: /usr/bin/python3 zlogtnc_ref.py
from mpmath import mp, mpf, log, sqrt
from scipy.stats import nct, norm
from refutil import f17, r_values, write_table
import nct_mp
mp.dps = 30

T = [  # {x, df, nc}
    (2.0, 10, 0.0), (-2.0, 10, 0.0), (0.3, 7, 0.0), (40.0, 3, 0.0), (-300.0, 5, 0.0),
    (0.0, 10, 1.5), (0.0, 4, -2.0),
    (2.0, 10, 1.0), (-1.0, 5, 2.0), (0.5, 30, 0.3), (12.0, 49, 11.631), (1.5, 3, 3.0),
    (-5.0, 10, 30.0), (100.0, 10, 5.0), (-3.0, 25, -1.0), (1.0, 25, -2.0), (-40.0, 12, -20.0),
    (113.3, 4999, 116.3), (119.4, 4999, 116.3), (0.6, 1.0, 0.5), (3.0, 2.5, 1.0),
    (50.0, 200, 60.0), (-1.0, 100, 40.0),
]
ex = []
for x, df, nc in T:
    ex += ["pt(%r, %r, ncp = %r, log.p = TRUE)" % (x, df, nc),
           "pt(%r, %r, ncp = %r, lower.tail = FALSE, log.p = TRUE)" % (x, df, nc)]
rv = r_values(ex)
rows = []
for i, (x, df, nc) in enumerate(T):
    lo = nct_mp.cdf(x, df, nc)
    up = nct_mp.cdf(x, df, nc, upper=True)
    rows.append([f17(x), f17(df), f17(nc), f17(log(lo)), f17(log(up)), rv[2 * i], rv[2 * i + 1]])
write_table("logtnc_tails.tsv", "ref/zlogtnc_ref.py", "x df nc log_lo log_up r_log_lo r_log_up", rows,
            "{x, df, nc, ln P(T <= x), ln P(T > x) (mpmath), the same two from R}")

D = [  # {x, df, nc}
    (0.0, 10, 1.0), (0.0, 3, 0.0), (1.0, 10, 1.0), (-1.0, 10, 1.0), (2.5, 5, 0.5),
    (-0.7, 8, -1.9), (3.0, 20, 1e-17), (0.2, 1.0, 1.2), (4.0, 15, 3.0), (-2.0, 6, 5.0),
    (30.0, 40, 25.0), (0.8, 0.7, 1.0), (60.0, 4999, 47.7), (-0.5, 4, 1.99),
]
rd = r_values(["dt(%r, %r, ncp = %r, log = TRUE)" % d for d in D])
write_table("logtnc_density.tsv", "ref/zlogtnc_ref.py", "x df nc log_d r_log_d",
            [[f17(x), f17(df), f17(nc), f17(log(nct_mp.pdf(x, df, nc))), r] for (x, df, nc), r in zip(D, rd)],
            "{x, df, nc, ln f(x) (mpmath), R dt(log = TRUE)}")

Q = []
for n in (50, 500, 5000):
    for pp in (0.95, 0.05):  # the percentile p; z = qnorm(max(p, 1 - p))
        nc = float(norm.ppf(max(pp, 1 - pp))) * float(n) ** 0.5
        for a in (0.025, 0.975):
            if (a, n - 1, nc) not in Q:
                Q.append((a, n - 1, nc))
Q += [(0.05, 4999, float(norm.ppf(0.99)) * 5000 ** 0.5), (0.95, 4999, float(norm.ppf(0.99)) * 5000 ** 0.5),
      (0.3, 10, 1.0), (0.9, 5, -2.0), (1e-6, 20, 3.0), (0.5, 3, 0.0), (0.999, 100, 10.0),
      (0.2, 1e6, 2.0)]
rq = r_values(["qt(%r, %r, ncp = %r)" % q for q in Q])
rows = []
for (p, df, nc), r in zip(Q, rq):
    x0 = float(nct.ppf(p, df, nc))
    q = nct_mp.quantile(p, df, nc, x0)
    assert abs(nct_mp.cdf(q, df, nc) - p) < mpf(10) ** -20 * p, (p, df, nc)
    rows.append([f17(p), f17(df), f17(nc), f17(q), r])
write_table("logtnc_quantile.tsv", "ref/zlogtnc_ref.py", "p df nc t r_t", rows,
            "{p, df, nc, mpmath quantile, R qt(p, df, ncp = nc)}")
