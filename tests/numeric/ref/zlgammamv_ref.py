# zlgammamv_ref.py - reference values for tests/numeric/zlgammamv_test.cpp: the
# multivariate log-gamma and log-beta functions and the beta log tails of the
# integration form, by mpmath at 40 digits (loggamma sums; betainc regularized).
# Run: /usr/bin/python3 zlgammamv_ref.py
import mpmath
from mpmath import mpf, log
from refutil import write_values

mpmath.mp.dps = 40
SOFT = "mpmath %s at 40 digits" % mpmath.__version__


def lgmv(x, p):
    x = mpf(x)
    return p * (p - 1) / mpf(4) * log(mpmath.pi) + sum(mpmath.loggamma(x - mpf(j) / 2) for j in range(p))


rows = []
for p in (1, 2, 3, 4, 7, 12, 40):
    for x in ((p - 1) / 2 + 1e-3, (p - 1) / 2 + 0.5, 3.0 + p, 17.25 + p, 1e3, 1e6):
        rows.append((x, p, lgmv(x, p)))
write_values("zlgammamv.tsv", "zlgammamv_ref.py", SOFT, ["x", "p", "v"], rows, ["v: ln Gamma_p(x)"])

rows = []
for p in (1, 2, 5, 11):
    for a, b in ((p / 2 + 0.1, p / 2 + 0.3), (4.0 + p, 2.5 + p), (30.0 + p, 700.0)):
        rows.append((a, b, p, lgmv(a, p) + lgmv(b, p) - lgmv(a + b, p)))
write_values("zlbetamv.tsv", "zlgammamv_ref.py", SOFT, ["a", "b", "p", "v"], rows, ["v: ln B_p(a, b)"])

rows = []
for a, b in ((0.5, 0.5), (2.0, 3.0), (1.0, 40.0), (50.0, 2.0), (300.0, 400.0), (0.9, 7.0)):
    for q in (1e-4, 0.05, 0.3, 0.5, 0.7, 0.97, 0.9999):
        x = mpf(q)
        m = mpf(a) / (a + b)
        # the point moved with the shapes so that it stays in the body and the far tails
        xx = float(m + (x - mpf(0.5)) * 8 * mpmath.sqrt(m * (1 - m) / (a + b + 1)))
        if not 0 < xx < 1:
            continue
        lo = mpmath.betainc(a, b, 0, xx, regularized=True)
        up = mpmath.betainc(a, b, xx, 1, regularized=True)
        rows.append((xx, a, b, log(lo), log(up)))
write_values("zbetaint.tsv", "zlgammamv_ref.py", SOFT, ["x", "a", "b", "lo", "up"], rows,
      ["lo, up: ln I_x(a, b), ln(1 - I_x(a, b))"])
