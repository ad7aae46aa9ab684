# zlogbet_ref.py - reference values for tests/numeric/zlogbet_test.cpp (zlogbet, zldnbet).
# Tools: mpmath 1.2.1 at 60 digits (the reference: beta_mp.tails, the positive series of A&S
# 26.5.23 for the smaller tail, checked against mpmath.betainc for shapes below 1000) and
# R 4.2.2 pbeta(log.p = TRUE) / dbeta(log = TRUE) (cross-check); Python 3 /usr/bin/python3
# (Debian); generated 2026-12-06.
# Run: /usr/bin/python3 zlogbet_ref.py
from mpmath import mp, mpf, betainc, log, beta
from beta_mp import tails
from refutil import f17, r_values, write_table
mp.dps = 60

G = [  # {x, a, b}
    (0.3, 2, 3), (0.999, 50, 2), (0.5, 0.5, 0.5), (0.1, 0.5, 0.5), (0.9, 0.5, 0.5),
    (0.25, 1, 1), (1e-5, 0.01, 3), (0.7, 0.05, 0.05), (0.2, 5, 0.02), (0.99, 0.3, 7),
    (1e-50, 40, 2), (1e-12, 200, 300), (0.9999, 3, 600), (0.35, 1000, 2000), (0.36, 1000, 2000),
    (0.5, 1e4, 1e4), (0.49, 1e4, 1e4), (0.3, 1e4, 2e4), (0.01, 2, 1e4), (0.6, 1e5, 1e5),
    (0.4, 20.5, 0.7), (0.05, 3.5, 120), (0.7, 120, 3.5), (1e-300, 2, 2), (0.5, 1e-3, 1e-3),
]
ex = []
for x, a, b in G:
    ex += ["pbeta(%r, %r, %r, log.p = TRUE)" % (x, a, b),
           "pbeta(%r, %r, %r, lower.tail = FALSE, log.p = TRUE)" % (x, a, b),
           "dbeta(%r, %r, %r, log = TRUE)" % (x, a, b)]
rv = r_values(ex)
rows = []
for i, (x, a, b) in enumerate(G):
    X, A, B = mpf(x), mpf(a), mpf(b)
    lo, up = tails(A, B, X)
    if max(a, b) < 1000:  # cross-check the series against mpmath's own betainc
        assert abs(lo - betainc(A, B, 0, X, regularized=True)) < mpf(10) ** -40 * max(lo, mpf(10) ** -300)
    ld = (A - 1) * log(X) + (B - 1) * log(1 - X) - log(beta(A, B))
    rows.append([f17(x), f17(a), f17(b), f17(log(lo)), f17(log(up)), f17(ld), rv[3 * i], rv[3 * i + 1],
                 rv[3 * i + 2]])
write_table("logbeta.tsv", "ref/zlogbet_ref.py", "x a b log_lo log_up log_d r_log_lo r_log_up r_log_d", rows,
            "{x, a, b, ln P(X <= x), ln P(X > x), ln f(x) (mpmath); the same three from R}")
