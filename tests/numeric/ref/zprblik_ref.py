# zprblik_ref.py - reference values for tests/numeric/zprblik_test.cpp (the censored
# likelihood terms zprblnm/zprblnmLog/zprbwnm/zprbwnmLog, zprblwb/zprbwwb, zprbigs).
# Tool: mpmath 1.2.1 at 50 digits (derivatives by mpmath.diff at 50 digits);
# Python 3 /usr/bin/python3 (Debian); generated 2026-12-06.
# Run: /usr/bin/python3 zprblik_ref.py
from mpmath import mp, mpf, ncdf, npdf, log, exp, sqrt, diff, erfc, expm1
from refutil import f17, write_table
mp.dps = 50

def Phi(x): return ncdf(x)

def nterm(code, z, h=0):
    z = mpf(z); h = mpf(h)
    if code == 0: return z*z/2 + log(sqrt(2*mp.pi))
    if code == -1: return -log(Phi(-z))
    if code == -2: return -log(Phi(z))
    a = -abs(z)
    return -log(Phi(a + h) - Phi(a - h))

def F(z): return 1 - exp(-exp(z))
def wterm(code, z, h=0):
    z = mpf(z); h = mpf(h)
    if code == 0: return exp(z) - z
    if code == -1: return exp(z)
    if code == -2: return -log(-expm1(-exp(z)))
    # F(z+h) - F(z-h) = exp(-e^(z-h)) - exp(-e^(z+h))
    return -log(exp(-exp(z - h)) - exp(-exp(z + h)))

S = "ref/zprblik_ref.py"
rows = []
for code, z in [(0, 0.0), (0, 3.5), (0, -12.0), (-1, 0.0), (-1, 2.0), (-1, 8.0), (-1, 25.0),
                (-1, -3.0), (-1, 9.99), (-2, 0.0), (-2, 1.5), (-2, -5.0), (-2, -9.9999),
                (-2, -10.0), (-2, -20.0), (-2, -37.0), (-2, 6.0), (-2, 30.0)]:
    rows.append(["%d" % code, f17(z), "0", f17(nterm(code, z))])
for z, h in [(0.0, 1.0), (0.5, 0.25), (-2.0, 0.5), (3.0, 0.01), (-6.0, 2.0), (-15.0, 1.0),
             (1.0, 1e-6), (-4.0, 1e-7), (30.0, 3.0)]:
    rows.append(["-3", f17(z), f17(h), f17(nterm(-3, z, h))])
write_table("normal_terms.tsv", S, "code z h term", rows, "normal terms: {code, z, h, term}")

rows = []
for code, z in [(-1, -3.0), (-1, 0.5), (-1, 5.9), (-1, 6.0), (-1, 12.0), (-2, 3.0), (-2, -0.5),
                (-2, -5.9), (-2, -6.0), (-2, -12.0)]:
    f = lambda t: nterm(code, t)
    d0 = diff(f, mpf(z), 1); d1 = diff(f, mpf(z), 2)
    rows.append(["%d" % code, f17(z), "0", f17(d0), f17(d1), "0", "0", "0"])
for z, h in [(0.0, 1.0), (0.5, 0.25), (-2.0, 0.5), (3.0, 0.01), (-6.0, 2.0), (1.0, 1e-6),
             (-4.0, 3e-6)]:
    g = lambda zz, hh: nterm(-3, zz, hh) if zz <= 0 else nterm(-3, -zz, hh)
    # derivative with respect to the actual centre (the term is even in z)
    gz = lambda zz, hh: -log(Phi(zz + hh) - Phi(zz - hh))
    zz = mpf(z); hh = mpf(h)
    d = [diff(gz, (zz, hh), (1, 0)), diff(gz, (zz, hh), (2, 0)), diff(gz, (zz, hh), (0, 1)),
         diff(gz, (zz, hh), (1, 1)), diff(gz, (zz, hh), (0, 2))]
    rows.append(["-3", f17(z), f17(h)] + [f17(v) for v in d])
write_table("normal_derivs.tsv", S, "code z h d0 d1 d2 d3 d4", rows,
            "normal derivatives: {code, z, h, d0, d1, d2, d3, d4} (d2..d4 only for code -3)")

rows = []
for code, z in [(0, 0.0), (0, 2.5), (0, -30.0), (-1, 1.0), (-1, -5.0), (-2, 0.0), (-2, 2.0),
                (-2, -3.0), (-2, -20.9), (-2, -21.0), (-2, -30.0), (-2, 3.5)]:
    rows.append(["%d" % code, f17(z), "0", f17(wterm(code, z))])
for z, h in [(0.5, 0.25), (2.0, 1.0), (-1.0, 0.5), (-3.0, 0.01), (-0.2, 2.0), (0.0, 1.0),
             (-5.0, 3.0), (-2.0, 1e-6)]:
    rows.append(["-3", f17(z), f17(h), f17(wterm(-3, z, h))])
write_table("weibull_terms.tsv", S, "code z h term", rows, "extreme-value terms: {code, z, h, term}")

rows = []
for code, z in [(0, 0.5), (-1, -1.0), (-2, 0.5), (-2, -3.0), (-2, -19.0), (-2, -25.0), (-2, 2.0)]:
    f = lambda t: wterm(code, t)
    rows.append(["%d" % code, f17(z), "0", f17(diff(f, mpf(z), 1)), f17(diff(f, mpf(z), 2)), "0", "0", "0"])
for z, h in [(0.5, 0.25), (-1.0, 0.5), (1.5, 1.0), (-3.0, 0.2)]:
    gz = lambda zz, hh: -log(exp(-exp(zz - hh)) - exp(-exp(zz + hh)))
    zz = mpf(z); hh = mpf(h)
    d = [diff(gz, (zz, hh), (1, 0)), diff(gz, (zz, hh), (2, 0)), diff(gz, (zz, hh), (0, 1)),
         diff(gz, (zz, hh), (1, 1)), diff(gz, (zz, hh), (0, 2))]
    rows.append(["-3", f17(z), f17(h)] + [f17(v) for v in d])
write_table("weibull_derivs.tsv", S, "code z h d0 d1 d2 d3 d4", rows,
            "extreme-value derivatives: {code, z, h, d0, d1, d2, d3, d4}")

rows = []
for x, lam in [(0.5, 1.0), (1.0, 1.0), (2.0, 1.0), (0.2, 0.5), (3.0, 4.0), (1.2, 20.0),
               (0.8, 50.0), (1.1, 100.0), (0.05, 2.0), (5.0, 0.3), (1.0, 300.0), (0.9, 400.0)]:
    x = mpf(x); lam = mpf(lam)
    v = Phi(sqrt(lam) * (sqrt(x) - 1 / sqrt(x))) + exp(2 * lam) * Phi(-sqrt(lam) * (sqrt(x) + 1 / sqrt(x)))
    rows.append([f17(x), f17(lam), f17(v)])
write_table("invgauss.tsv", S, "x lambda f", rows, "inverse Gaussian F(x; mean 1, shape lambda): {x, lambda, F}")
