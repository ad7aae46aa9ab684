# beta_scipy.py - the two-shape beta fits of beta_ref.R's sample by scipy's
# maximum likelihood with the support fixed. Run: /usr/bin/python3 beta_scipy.py > beta_scipy.tsv
import scipy.stats as st

sb = [0.12, 0.31, 0.08, 0.45, 0.22, 0.27, 0.19, 0.36, 0.05, 0.51,
      0.29, 0.14, 0.33, 0.41, 0.17, 0.24, 0.62, 0.21, 0.27, 0.38]
print("# do not edit: made by beta_scipy.py")
for loc, scale in ((0, 1), (-0.5, 2)):
    a, b, _, _ = st.beta.fit(sb, floc=loc, fscale=scale)
    print("\t".join(["mle_%g_%g" % (loc, scale), "%.15g" % a, "%.15g" % b]))
