# zbeta_quantile_ref.py - reference values for tests/numeric/zlogbet_test.cpp
# (zlogbetq, the quantile request of zlogbet).
# Tools: mpmath 1.2.1 at 40 digits (the reference: findroot on the logit of
# beta_mp.tails, started from R's value) and R 4.2.2 qbeta() (cross-check, and the
# start); Python 3 /usr/bin/python3 (Debian); generated 2026-12-06.
# Run: /usr/bin/python3 zbeta_quantile_ref.py
from mpmath import mp, mpf
from refutil import f17, r_values, write_table
import beta_mp
mp.dps = 40

Q = [  # {p, a, b}
    (0.3483, 2, 3), (0.9, 0.5, 0.5), (0.1, 0.5, 0.5), (0.5, 0.5, 0.5), (0.37, 1, 1),
    (0.025, 2, 3), (0.975, 2, 3), (1e-10, 2, 3), (1 - 1e-10, 2, 3), (0.5, 10, 10),
    (0.05, 0.05, 2), (0.95, 0.05, 2), (0.5, 2, 0.05), (1e-6, 0.3, 0.7), (0.999999, 0.3, 0.7),
    (0.01, 1e4, 1e4), (0.99, 1e4, 2e4), (0.5, 1000, 3), (0.2, 3, 1000), (0.7, 0.01, 0.01),
    (1e-200, 2, 5), (0.6, 50, 0.8), (0.001, 120, 80), (0.8, 1.5, 1.5), (0.3, 1e-3, 2),
    (0.99, 7, 0.002), (0.5, 1e5, 1e5), (1e-12, 0.5, 40), (0.25, 4.5, 1),
    # the secant phase (the Newton phase fails for a first shape of 0.001 and p > 1/2)
    (0.6, 0.001, 0.01), (0.8, 0.001, 1), (0.95, 0.001, 0.05), (0.999999, 0.001, 0.3),
    (0.51, 0.001, 0.01),
]
rq = r_values(["qbeta(%r, %r, %r)" % q for q in Q])
rows = []
for (p, a, b), r in zip(Q, rq):
    x = beta_mp.quantile(p, a, b, float(r))
    if 0.0 < float(x) < 1.0:  # quantiles that round to 0 or 1 lie beyond the double range
        lo, up = beta_mp.tails(a, b, x)
        assert abs(lo / mpf(p) - 1) < mpf(10) ** -18, (p, a, b, x, lo)
    rows.append([f17(p), f17(a), f17(b), f17(x), r])
write_table("beta_quantile.tsv", "ref/zbeta_quantile_ref.py (mpmath 1.2.1 at 40 digits; R 4.2.2 qbeta as a cross-check)",
            "p a b x r_x", rows, "{p, a, b, mpmath quantile, R qbeta(p, a, b)}")
