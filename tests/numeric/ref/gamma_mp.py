# gamma_mp.py - the regularized lower incomplete gamma function in mpmath, shared by
# the reference scripts (mpmath's own gammainc does not converge for large shapes).
import mpmath
from mpmath import mpf, log


def lower_series(a, x):
    """P(a, x) = x^a e^-x / Gamma(a + 1) sum_n x^n / ((a+1)...(a+n)) (A&S 6.5.29)."""
    t = s = mpf(1)
    n = 0
    while t > s * mpf(10) ** -45:
        n += 1
        t *= x / (a + n)
        s += t
    return mpmath.exp(a * log(x) - x - mpmath.loggamma(a + 1)) * s
