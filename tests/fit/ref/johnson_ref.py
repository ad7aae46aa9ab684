# johnson_ref.py - reference values of the Johnson SB and SU families from SciPy and
# mpmath: members, moments (by quadrature), peaks, the moment solutions and the SU
# maximum-likelihood optimum of a sample (direct minimisation of the same likelihood).
# Run: /usr/bin/python3 johnson_ref.py > johnson_ref.tsv
# Columns: key, then values. Parameters in the order theta, sigma, delta, gamma.
import mpmath as mp
import numpy as np
from scipy import integrate, optimize, special, stats


def line(key, *vals):
    print(key + "\t" + "\t".join("%.17g" % v for v in np.concatenate([np.ravel(v) for v in vals])))


def sb_mvsk(d, g):
    # Raw moments of the standardized SB law by quadrature over the normal variable.
    m = [integrate.quad(lambda z: special.expit((z - g) / d) ** k * stats.norm.pdf(z), -40, 40, epsabs=1e-16,
                        epsrel=1e-14, limit=400, points=[g])[0] for k in (1, 2, 3, 4)]
    v = m[1] - m[0] ** 2
    mu3 = m[2] - 3 * m[0] * m[1] + 2 * m[0] ** 3
    mu4 = m[3] - 4 * m[0] * m[2] + 6 * m[0] ** 2 * m[1] - 3 * m[0] ** 4
    return m[0], v, mu3 / v ** 1.5, mu4 / v ** 2 - 3


def su_mvsk(d, g):
    # The same for sinh((Z - gamma)/delta), in 30 digits.
    mp.mp.dps = 30
    m = [mp.quad(lambda z: mp.sinh((z - g) / d) ** k * mp.npdf(z), [-mp.inf, g, mp.inf]) for k in (1, 2, 3, 4)]
    v = m[1] - m[0] ** 2
    mu3 = m[2] - 3 * m[0] * m[1] + 2 * m[0] ** 3
    mu4 = m[3] - 4 * m[0] * m[2] + 6 * m[0] ** 2 * m[1] - 3 * m[0] ** 4
    return float(m[0]), float(v), float(mu3 / v ** 1.5), float(mu4 / v ** 2 - 3)


def law(fam, p):
    th, s, d, g = p
    return (stats.johnsonsb if fam == "sb" else stats.johnsonsu)(g, d, loc=th, scale=s)


print("# do not edit: made by johnson_ref.py")
laws = {"sb": [(1, 3, 0.8, 0.6), (0, 1, 2, -1), (0, 1, 0.3, 0.1)], "su": [(-1, 2, 1.3, -0.7), (0, 1, 0.9, 1.0)]}
probs = [0.01, 0.3, 0.9]
for fam in ("sb", "su"):
    for k, p in enumerate(laws[fam]):
        f = law(fam, p)
        pts = p[0] + p[1] * np.array([0.1, 0.35, 0.9] if fam == "sb" else [-2.5, 0.3, 4.0])
        line("%s%d_cdf" % (fam, k), f.cdf(pts))
        line("%s%d_pdf" % (fam, k), f.pdf(pts))
        line("%s%d_ppf" % (fam, k), f.ppf(probs))
        mv = (sb_mvsk if fam == "sb" else su_mvsk)(p[2], p[3])
        line("%s%d_mvsk" % (fam, k), p[0] + p[1] * mv[0], p[1] ** 2 * mv[1], mv[2], mv[3])
        # The peak(s): local maxima of the density on a fine grid, refined.
        lo, hi = (p[0], p[0] + p[1]) if fam == "sb" else f.ppf([1e-4, 1 - 1e-4])
        x = np.linspace(lo, hi, 200001)[1:-1]
        y = f.logpdf(x)
        peaks = [i for i in range(1, len(x) - 1) if y[i] >= y[i - 1] and y[i] >= y[i + 1]]
        best = max(peaks, key=lambda i: y[i])
        m = optimize.minimize_scalar(lambda t: -f.logpdf(t), bracket=(x[best - 1], x[best], x[best + 1]), tol=1e-14).x
        line("%s%d_peak" % (fam, k), m, f.pdf(m), len(peaks))

# Shapes whose skewness and excess kurtosis are the targets, with the standardized
# law's mean and variance and the residuals.
for fam, mvsk, targets in (("sb", sb_mvsk, [(0.35, -0.2), (-0.5, -0.3)]),
                           ("su", su_mvsk, [(0.5, 1.5), (-1.2, 5.0), (0.1, 0.4)])):
    for k, (sk, ku) in enumerate(targets):
        def err(v):
            s = mvsk(v[0], v[1])
            return [s[2] - sk, s[3] - ku]
        d, g = optimize.fsolve(err, [1.5, -np.sign(sk) * 0.5], xtol=1e-14)
        mv = mvsk(d, g)
        line("%smom%d" % (fam, k), sk, ku, d, g, mv[0], mv[1], *err([d, g]))

# A sample from an SU law and the minimum of the mean negative log-likelihood.
# The sample's percentile ratio m n / p^2 (z = 0.524) is well above 1: an SU shape.
rng = np.random.default_rng(21)
xs = np.round(stats.johnsonsu(-0.6, 0.9, loc=2, scale=1.5).rvs(40, random_state=rng), 4)
q = np.quantile(xs, stats.norm.cdf([-1.572, -0.524, 0.524, 1.572]))
assert (q[3] - q[2]) * (q[1] - q[0]) / (q[2] - q[1]) ** 2 > 1.2
line("su_sample", xs)


def nll(v, th=None):
    d, g, t, s = (v[0], v[1], th, v[2]) if th is not None else v
    if d <= 0 or s <= 0:
        return np.inf
    z = (xs - t) / s
    u = g + d * np.arcsinh(z)
    return -np.log(d) + np.log(s) + np.mean(np.log1p(z * z) + u * u) / 2


for key, th, v0 in (("su_mle4", None, [0.9, -0.6, 2, 1.5]), ("su_mle3", 2.0, [0.9, -0.6, 1.5])):
    r = optimize.minimize(nll, v0, args=(th,), method="Nelder-Mead", options={"xatol": 1e-12, "fatol": 1e-15, "maxiter": 40000})
    line(key, r.x, r.fun)
