# znct_ref.py - reference values for tests/numeric/znct_test.cpp (zplbtnc, zqtnc).
# Tools: mpmath 1.2.1 at 30 digits (the reference; nct_mp.py), scipy 1.10.1 nct.ppf
# (Boost) only as the starting point of mpmath's root finder, and R 4.2.2 pt()/qt() with
# ncp = (cross-check; R's pnt switches to a rough normal approximation for
# |ncp| > 37.62); Python 3 /usr/bin/python3 (Debian); generated 2026-12-06.
# Run: /usr/bin/python3 znct_ref.py
from mpmath import mp, mpf, sqrt
from scipy.stats import nct, norm
from refutil import f17, r_values, write_table
import nct_mp
mp.dps = 30

# Distribution function grid {t, df, nc}.
CDF = [
    # central t (nc = 0)
    (2.0, 10, 0.0), (-1.3, 4, 0.0), (0.5, 0.7, 0.0), (25.0, 3, 0.0),
    # series form: t > 0 with nc <= 20, t < 0 with nc < 0
    (2.0, 10, 1.0), (0.3, 10, 1.0), (5.0, 3, 2.5), (1e-3, 7, 0.5), (40.0, 2, 1.0),
    (12.0, 49, 11.631), (10.0, 49, 11.631), (14.5, 49, 11.631), (20.0, 49, 16.45),
    (3.0, 200, -0.5), (0.8, 1.5, -1.0), (-2.0, 10, -1.0), (-0.2, 25, -3.0), (-15.0, 49, -11.631),
    (-9.5, 49, -11.631), (5.0, 20, 19.9), (25.0, 20, 19.9), (1.0, 0.3, 0.7), (2.0, 5, 1e-7),
    # integral form: t < 0 with nc > 0, or nc > 20
    (-1.0, 5, 2.0), (-0.5, 30, 0.3), (-3.0, 10, 4.0), (-0.01, 1, 1.0),
    (36.0, 499, 36.78), (40.0, 499, 36.78), (33.0, 499, 36.78), (45.0, 499, 36.78),
    (25.0, 40, 20.5), (60.0, 1000, 52.0), (-2.0, 999, 30.0), (80.0, 150, 60.0),
]
rp = r_values(["pt(%r, %r, ncp = %r)" % (t, df, nc) for t, df, nc in CDF])
write_table("nct_cdf.tsv", "ref/znct_ref.py", "t df nc p r_p",
            [[f17(t), f17(df), f17(nc), f17(nct_mp.cdf(t, df, nc)), r] for (t, df, nc), r in zip(CDF, rp)],
            "{t, df, nc, mpmath P(T <= t), R pt(t, df, ncp = nc)}")

# Quantiles {p, df, nc}: the normal-theory percentile limits call zqtnc(alpha', N - 1,
# qnorm(p') sqrt(N)) with alpha' in {0.025, 0.975, 0.05, 0.95}; plus a general grid.
Q = []
for n in (10, 50, 500, 5000):
    for pp in (0.95, 0.99, 0.75):
        nc = float(norm.ppf(pp)) * float(n) ** 0.5
        for a in (0.025, 0.975, 0.05, 0.95):
            Q.append((a, n - 1, nc))
Q += [(0.5, 5, 1.0), (0.001, 3, 2.0), (0.999, 20, -3.0), (0.1, 8, -1.5), (0.9, 30, 25.0),
      (0.01, 100, 10.0), (0.3, 12, 0.4), (0.7, 4, -0.8), (0.995, 60, 5.0), (0.2, 2, 3.0),
      (0.05, 999, -30.0), (0.95, 10, -50.0), (0.5, 5, -30.0), (0.3, 3, -20.0)]
rq = r_values(["qt(%r, %r, ncp = %r)" % (p, df, nc) for p, df, nc in Q])
rows = []
for (p, df, nc), r in zip(Q, rq):
    x0 = float(nct.ppf(p, df, nc))
    q = nct_mp.quantile(p, df, nc, x0)
    chk = nct_mp.cdf(q, df, nc)
    assert abs(chk / p - 1) < mpf(10) ** -20, (p, df, nc, q, chk)
    rows.append([f17(p), f17(df), f17(nc), f17(q), r])
write_table("nct_quantile.tsv", "ref/znct_ref.py", "p df nc t r_t", rows,
            "{p, df, nc, mpmath quantile, R qt(p, df, ncp = nc)}")
