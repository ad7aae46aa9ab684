# zgamma_fn_ref.py - reference values for tests/numeric/zgamma_fn_test.cpp (zgamma, zexpm1).
# Tools: mpmath 1.2.1 at 40 digits (the reference) and R 4.2.2 gamma()/expm1() (cross-check);
# Python 3 /usr/bin/python3 (Debian); generated 2026-12-06.
# Run: /usr/bin/python3 zgamma_fn_ref.py   (writes gamma.tsv and expm1.tsv)
from mpmath import mp, mpf, gamma, expm1
from refutil import f17, r_values, write_table
mp.dps = 40

GX = [0.5, 0.75, 1, 1.25, 1.5, 1.75, 2, 2.5, 3.3, 5, 7.9, 10, 12.5, 19.5, 19.99, 20, 20.5,
      30, 57.25, 100, 150.5, 171.5, -0.5, -1.5, -2.25, -7.75, -10.5, -19.3, -25.5, -100.5,
      1e-5, 0.001, 0.3, -1e-5, 1.0000001, 1.4999999, 1.5000001, 2.9999999, -0.99999]
EX = [1e-300, 1e-20, 1e-10, -1e-10, 1e-5, 0.001, -0.001, 0.005, 0.00999, 0.01, -0.01,
      0.0100001, -0.0100001, 0.02, 0.5, -0.5, 1, 5, -5, 20, -40, 700]

rg = r_values(["gamma(%r)" % x for x in GX])
write_table("gamma.tsv", "ref/zgamma_fn_ref.py", "x gamma r_gamma",
            [[f17(x), f17(gamma(mpf(x))), r] for x, r in zip(GX, rg)], "{x, mpmath gamma(x), R gamma(x)}")
re = r_values(["expm1(%r)" % x for x in EX])
write_table("expm1.tsv", "ref/zgamma_fn_ref.py", "x expm1 r_expm1",
            [[f17(x), f17(expm1(mpf(x))), r] for x, r in zip(EX, re)], "{x, mpmath expm1(x), R expm1(x)}")
