# beta_mp.py - both tails of the beta distribution in mpmath (shared by zlogbet_ref.py
# and zbeta_quantile_ref.py).
# Tool: mpmath 1.2.1; Python 3 /usr/bin/python3 (Debian); written 2026-12-06.
# The smaller tail (x at or below the mean for the lower tail) is the series of positive
# terms I_x(a, b) = x^a (1-x)^b / (a B(a, b)) 2F1(a+b, 1; a+1; x) (Abramowitz and Stegun
# 26.5.23 after Euler's transformation), summed by mpmath.hyp2f1; the other tail is
# 1 minus it.  Works for shapes up to 1e6 and beyond, where mpmath.betainc gives up.
from mpmath import mp, mpf, log, exp, hyp2f1, loggamma

def _small_tail(a, b, x):
    lb = loggamma(a) + loggamma(b) - loggamma(a + b)
    return exp(a * log(x) + b * log(1 - x) - log(a) - lb) * hyp2f1(a + b, 1, a + 1, x,
                                                                   maxterms=10**7)

def tails(a, b, x):
    a = mpf(a); b = mpf(b); x = mpf(x)
    if x <= a / (a + b):
        s = _small_tail(a, b, x)
        return s, 1 - s
    s = _small_tail(b, a, 1 - x)
    return 1 - s, s

def quantile(p, a, b, x0):
    p = mpf(p)
    # bisection on the logit of the distribution function, in u = ln x (start below 1/2)
    # or u = ln(1 - x) (start above), inside a bracket grown around the start x0
    def f(x):
        lo, up = tails(a, b, x)
        return log(lo) - log(up) - (log(p) - log(1 - p))
    x0 = mpf(x0)
    low = x0 < mpf(1) / 2
    to_x = (lambda u: exp(u)) if low else (lambda u: 1 - exp(u))
    lb = loggamma(a) + loggamma(b) - loggamma(a + b)
    if x0 <= 0:    # start rounded to 0: the small-x approximation x^a/(a B) = p
        u0 = (log(p * a) + lb) / a
    elif x0 >= 1:  # start rounded to 1: (1 - x)^b/(b B) = 1 - p
        u0 = (log((1 - p) * b) + lb) / b
    else:
        u0 = log(x0) if low else log(1 - x0)
    d = mpf(10) ** -6
    while True:
        ua, ub = u0 - d, min(u0 + d, log(mpf(1) / 2))
        fa, fb = f(to_x(ua)), f(to_x(ub))
        if fb == 0:
            return to_x(ub)
        if fa * fb < 0:
            break
        d *= 4
        assert d < 1e4
    for _ in range(400):
        um = (ua + ub) / 2
        fm = f(to_x(um))
        if fm == 0:
            return to_x(um)
        if fm * fa < 0:
            ub, fb = um, fm
        else:
            ua, fa = um, fm
        if abs(ub - ua) < mpf(10) ** (-mp.dps + 3) * max(1, abs(ua)):
            break
    return to_x((ua + ub) / 2)
