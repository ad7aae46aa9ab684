# zhrdy_ref.py - reference integrals for tests/numeric/zhrdy_test.cpp (zhrdys).
# Tools: mpmath 1.2.1 quad at 50 digits (the reference) and R 4.2.2 integrate() with
# rel.tol = 1e-12 (cross-check); Python 3 /usr/bin/python3 (Debian); generated 2026-12-06.
# Run: /usr/bin/python3 zhrdy_ref.py
from mpmath import mp, mpf, quad, exp, cos, sqrt, pi, log, inf, gamma, beta, loggamma
from refutil import f17, r_values
mp.dps = 50

cases = [
    ("normal_cos", lambda x: exp(-x * x / 2) * cos(x), [-inf, 0, inf],
     "integrate(function(x) exp(-x^2/2)*cos(x), -Inf, Inf, rel.tol=1e-12)$value"),
    ("gamma35", lambda x: x ** mpf(2.5) * exp(-x), [0, 3, inf],
     "integrate(function(x) x^2.5*exp(-x), 0, Inf, rel.tol=1e-12)$value"),
    ("beta_half", lambda x: x ** mpf(-0.5) * (1 - x) ** mpf(0.3), [0, 0.5, 1],
     "integrate(function(x) x^-0.5*(1-x)^0.3, 0, 1, rel.tol=1e-12)$value"),
    ("cubic_tail", lambda x: 1 / (1 + x ** 3), [2, 10, inf],
     "integrate(function(x) 1/(1+x^3), 2, Inf, rel.tol=1e-12)$value"),
    ("log_sqrt", lambda x: -log(x) / sqrt(x), [0, 0.5, 1],
     "integrate(function(x) -log(x)/sqrt(x), 0, 1, rel.tol=1e-12)$value"),
    ("gamma_mode2_a", lambda x: exp(-(x - 1)) * (x - 1) ** 2 / 2, [1, 3, inf],
     "integrate(function(x) exp(-(x-1))*(x-1)^2/2, 1, Inf, rel.tol=1e-12)$value"),
    ("beta23", lambda x: 12 * x * (1 - x) ** 2, [0, 0.4, 1],
     "integrate(function(x) 12*x*(1-x)^2, 0, 1, rel.tol=1e-12)$value"),
]
rv = r_values([c[3] for c in cases])
print("// {name, mpmath quad, R integrate}")
for (name, f, pts, _), r in zip(cases, rv):
    print('    {"%s", %s, %s},' % (name, f17(quad(f, pts)), r))
print("// ln Gamma(a) for the log-mode test: {a, mpmath loggamma(a)}")
for a in [1000, 5000.5, 20000]:
    print("    {%s, %s}," % (f17(a), f17(loggamma(mpf(a)))))
