# nct_mp.py - noncentral t distribution function, density and quantile in mpmath
# (shared by znct_ref.py and zlogtnc_ref.py).
# Tool: mpmath 1.2.1; Python 3 /usr/bin/python3 (Debian); written 2026-12-06.
# P(T <= t) = int_0^oo Phi(t sqrt(2u/df) - nc) g(u) du, g the gamma(df/2) density of
# u = V/2 (V chi-square with df degrees of freedom); the upper tail uses
# Phi(nc - t sqrt(2u/df)) (no cancellation); the density is
# f(t) = int_0^oo phi(t sqrt(2u/df) - nc) sqrt(2u/df) g(u) du.
# Each integral is taken in v = ln u by the trapezoidal rule (the integrand is analytic
# and decays on both sides, so the rule converges geometrically in 1/h): the peak is
# located on a grid and refined, the step is a sixth of the peak's width, at most 1/16
# and at most 1/(4 max(|nc|, 1)) (the normal factor switches over about 2/|nc| in v),
# and the sum runs outward until the terms fall below 1e-45 of the peak.  (mpmath.quad
# with fixed breakpoints misses peaks far from the gamma mode; this was checked to agree
# with a step of 1/128 to 30 digits.)
from mpmath import mp, mpf, ncdf, npdf, exp, log, sqrt, loggamma, fsum, inf

def _trap(logF, hmax):
    # int exp(logF(v)) dv over the real line, with a step of at most hmax
    grid = [mpf(k) / 2 for k in range(-400, 40)]
    vals = [logF(v) for v in grid]
    i = max(range(len(grid)), key=lambda k: vals[k])
    lo, hi = grid[max(i - 1, 0)], grid[min(i + 1, len(grid) - 1)]
    for _ in range(60):  # golden-section refinement of the peak
        m1 = lo + (hi - lo) * mpf('0.381966011250105')
        m2 = hi - (hi - lo) * mpf('0.381966011250105')
        if logF(m1) < logF(m2):
            lo = m1
        else:
            hi = m2
    vp = (lo + hi) / 2
    Lp = logF(vp)
    e = mpf(10) ** -3
    d2 = (logF(vp + e) - 2 * Lp + logF(vp - e)) / (e * e)
    sigma = 1 / sqrt(-d2) if d2 < 0 else mpf(1)
    h = min(sigma / 6, mpf(1) / 16, hmax)
    cut = Lp - (mp.dps + 15) * log(10)
    terms = [exp(Lp)]
    for direction in (1, -1):
        k, small = 1, 0
        while small < 5:
            L = logF(vp + direction * k * h)
            terms.append(exp(L))
            small = small + 1 if L < cut else 0
            k += 1
    return fsum(terms) * h

def _log_g(u, a):
    return (a - 1) * log(u) - u - loggamma(a)

def cdf(t, df, nc, upper=False):
    t = mpf(t); df = mpf(df); nc = mpf(nc)
    a = df / 2
    s = t * sqrt(2 / df)
    if upper:
        h = lambda u: ncdf(nc - sqrt(u) * s)
    else:
        h = lambda u: ncdf(sqrt(u) * s - nc)
    def logF(v):
        u = exp(v)
        hv = h(u)
        return (log(hv) if hv > 0 else mpf(-10) ** 9) + _log_g(u, a) + v
    return _trap(logF, _hmax(nc))

def _hmax(nc):
    # the normal factor switches over a width of about 2/|nc| in v (where
    # sqrt(u) t sqrt(2/df) = nc): the step must resolve it
    return 1 / (4 * max(abs(mpf(nc)), mpf(1)))

def pdf(t, df, nc):
    t = mpf(t); df = mpf(df); nc = mpf(nc)
    a = df / 2
    c = sqrt(2 / df)
    def logF(v):
        u = exp(v)
        w = sqrt(u) * t * c - nc
        return -w * w / 2 - log(sqrt(2 * mp.pi)) + log(sqrt(u) * c) + _log_g(u, a) + v
    return _trap(logF, _hmax(nc))

def quantile(p, df, nc, x0):
    # Newton's method on g(x) = ln P - ln(1 - P) - logit p (g' = f/(P(1 - P))) from x0;
    # when that does not settle in 12 steps, bisection in a bracket grown around x0
    p = mpf(p)
    target = log(p) - log(1 - p)
    f = lambda x: log(cdf(x, df, nc)) - log(cdf(x, df, nc, upper=True)) - target
    x = mpf(x0)
    if x == x and abs(x) != inf:
        for _ in range(12):
            P, Q = cdf(x, df, nc), cdf(x, df, nc, upper=True)
            g = log(P) - log(Q) - target
            step = g / (pdf(x, df, nc) / (P * Q))
            x = x - step
            if abs(step) < mpf(10) ** (-mp.dps + 5) * max(1, abs(x)):
                return x
    x0 = mpf(x0) if mpf(x0) == mpf(x0) and abs(mpf(x0)) != inf else mpf(nc)
    d = max(abs(x0), mpf(1)) * mpf(10) ** -6
    while True:
        a, b = x0 - d, x0 + d
        fa, fb = f(a), f(b)
        if fa * fb <= 0:
            break
        d *= 4
    for _ in range(200):
        m = (a + b) / 2
        fm = f(m)
        if fm == 0:
            return m
        if (fm < 0) == (fa < 0):
            a, fa = m, fm
        else:
            b, fb = m, fm
        if abs(b - a) < mpf(10) ** (-mp.dps + 4) * max(1, abs(a)):
            break
    return (a + b) / 2
