#!/usr/bin/env python3
"""Writes igamma_uniform.tsv: P(a, x) and Q(a, x) for large shapes around x = a, where
zigamma uses the uniform expansion, and just outside that region (mpmath; the lower
series summed at a working precision that leaves 30 digits in the smaller tail).

Usage: igamma_uniform_mp.py > igamma_uniform.tsv
"""
import mpmath as mp



def lower_series(a, x):
    """P(a, x) by the power series (A&S 6.5.29), summed to the working precision."""
    t = s = mp.mpf(1)
    n, eps = 0, mp.mpf(10) ** -(mp.mp.dps + 2)
    while t > s * eps:
        n += 1
        t *= x / (a + n)
        s += t
    return mp.exp(a * mp.log(x) - x - mp.loggamma(a + 1)) * s

SHAPES = [19.5, 20.0, 27.3, 39.9, 40.0, 100.0, 149.0, 150.0, 733.1, 2000.0, 1.2e4, 1e5, 1e6, 1e8]
MUS = [-0.6, -0.5, -0.37, -0.21, -0.08, -0.013, -0.0061, -0.0003, 0.0, 0.0004, 0.0072,
       0.019, 0.11, 0.29, 0.52, 0.77, 1.0, 1.1]


def main():
    print("# DO NOT EDIT: written by ref/igamma_uniform_mp.py (mpmath %s)" % mp.__version__)
    print("# P(a, x), Q(a, x) for x = a (1 + mu) rounded to double; rows with both tails below 1e-300 left out.")
    print("x\ta\tp\tq")
    for a in SHAPES:
        for mu in MUS:
            x = float(mp.mpf(a) * (1 + mp.mpf(mu)))
            m = mp.mpf(x) / a - 1
            exponent = a * (m - mp.log1p(m))  # -ln of the smaller tail, roughly
            if exponent > 690:
                continue
            with mp.workdps(40 + int(exponent / 2.3)):
                P = lower_series(mp.mpf(a), mp.mpf(x))
                Q = 1 - P
            print("%r\t%r\t%s\t%s" % (x, a, mp.nstr(P, 20, min_fixed=0, max_fixed=0),
                                      mp.nstr(Q, 20, min_fixed=0, max_fixed=0)))


if __name__ == "__main__":
    main()
