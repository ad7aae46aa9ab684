# zmxnorm_ref.py - reference values of normal mixtures and DiffNormal for
# tests/numeric/zmxnorm_test.cpp: a direct evaluation in mpmath at 40 digits of
# ln F, ln(1 - F), ln f of mixtures of up to three components, their quantiles
# (findroot), and Phi(a) - Phi(b) for short and long intervals.
# Run: /usr/bin/python3 zmxnorm_ref.py
import mpmath
from mpmath import mpf, log, ncdf, npdf
from refutil import write_values

mpmath.mp.dps = 40
SOFT = "mpmath %s at 40 digits" % mpmath.__version__

MIX = [  # (w, m, s) triples; unused components have weight 0
    [(1.0, 0.0, 1.0)],
    [(0.3, -2.0, 0.5), (0.7, 3.0, 2.0)],
    [(0.2, 5.0, 1.0), (0.5, 0.0, 3.0), (0.3, -4.0, 0.1)],
    [(0.5, 1.0, 1.0), (0.5, 1.0, 1.0)],
]


def pad(m):
    out = []
    for c in m + [(0.0, 0.0, 1.0)] * (3 - len(m)):
        out += list(c)
    return out


def F(m, x, upper=False):
    x = mpf(x)
    return sum(mpf(w) * ncdf((m_ - x) / s if upper else (x - m_) / s) for w, m_, s in m)


def f(m, x):
    return sum(mpf(w) * npdf((mpf(x) - m_) / s) / s for w, m_, s in m)


rows = []
for i, m in enumerate(MIX):
    for x in (-40.0, -8.0, -3.1, -1.0, 0.0, 0.7, 2.9, 6.0, 12.0, 35.0):
        rows.append([i] + pad(m) + [x, log(F(m, x)), log(F(m, x, True)), log(f(m, x))])
write_values("zmxnorm_dist.tsv", "zmxnorm_ref.py", SOFT,
      ["mix", "w1", "m1", "s1", "w2", "m2", "s2", "w3", "m3", "s3", "x", "lo", "up", "ld"], rows,
      ["lo, up, ld: ln F(x), ln(1 - F(x)), ln f(x) of the mixture sum w_i N(m_i, s_i^2)"])

rows = []
for i, m in enumerate(MIX):
    for p in (1e-100, 1e-6, 0.02, 0.25, 0.5, 0.6, 0.9, 0.999, 1 - 1e-9):
        g = lambda x: log(F(m, x)) - log(mpf(p)) if p < 0.5 else log(F(m, x, True)) - log(1 - mpf(p))
        lo, hi = mpf(-60), mpf(60)
        for _ in range(400):  # bisection: F is monotone
            mid = (lo + hi) / 2
            v = F(m, mid) - p
            lo, hi = (mid, hi) if v < 0 else (lo, mid)
        x = mpmath.findroot(g, (lo + hi) / 2)
        rows.append([i] + pad(m) + [p, x])
write_values("zmxnorm_quantile.tsv", "zmxnorm_ref.py", SOFT,
      ["mix", "w1", "m1", "s1", "w2", "m2", "s2", "w3", "m3", "s3", "p", "x"], rows,
      ["x: F(x) = p of the mixture (bisection, then findroot on the log tail)"])

rows = []
for b in (-8.0, -2.5, -0.3, 0.0, 0.4, 1.7, 6.0):
    for w in (1e-12, 3e-7, 5e-5, 9.99e-5, 0.5, 3.0):
        a = b + w
        rows.append((a, b, a - b, ncdf(mpf(a)) - ncdf(mpf(b))))
write_values("zdiffnrm.tsv", "zmxnorm_ref.py", SOFT, ["a", "b", "w", "v"], rows,
      ["v: Phi(a) - Phi(b) for a and b as the doubles given (w = a - b rounded)"])
