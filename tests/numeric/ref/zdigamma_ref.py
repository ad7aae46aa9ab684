# zdigamma_ref.py - reference values for tests/numeric/zdigamma_test.cpp (zdigama, ztigama).
# Tools: mpmath 1.2.1 psi(0, x), psi(1, x) at 40 digits (the reference) and R 4.2.2
# digamma()/trigamma() (cross-check); Python 3 /usr/bin/python3 (Debian); generated 2026-12-06.
# Run: /usr/bin/python3 zdigamma_ref.py   (writes digamma.tsv)
from mpmath import mp, mpf, psi
from refutil import f17, r_values, write_table
mp.dps = 40

X = [0.5, 0.75, 1, 1.2, 1.4616321449683622, 1.5, 1.9, 2, 2.5, 3.2, 5, 5.5, 6, 7.25, 10, 15,
     19.999, 20, 24.9, 25, 25.1, 30, 100, 1234.5, 1e6, 1e10, 1e15, 1e20,
     0.3, 0.1, 1e-3, 1e-8, -0.5, -1.5, -0.9, -2.7, -3.0000001, -10.25, -99.5, -1e5 + 0.5,
     -123456.789]
rd = r_values(["digamma(%r)" % x for x in X])
rt = r_values(["trigamma(%r)" % x for x in X])
write_table("digamma.tsv", "ref/zdigamma_ref.py", "x psi r_psi tri r_tri",
            [[f17(x), f17(psi(0, mpf(x))), a, f17(psi(1, mpf(x))), b] for x, a, b in zip(X, rd, rt)],
            "{x, mpmath psi(x), R digamma(x), mpmath psi'(x), R trigamma(x)}")
