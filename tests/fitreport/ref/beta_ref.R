# beta_ref.R - reference values of the beta fits and of their EDF statistics, made
# with R's fitdistrplus and goftest packages and uniroot on the digamma equations.
# Run: Rscript beta_ref.R > beta_ref.tsv
# Columns: key, then values.
suppressMessages({ library(fitdistrplus); library(goftest) })
sb <- c(0.12, 0.31, 0.08, 0.45, 0.22, 0.27, 0.19, 0.36, 0.05, 0.51,
        0.29, 0.14, 0.33, 0.41, 0.17, 0.24, 0.62, 0.21, 0.27, 0.38)
sym <- c(0.2, 0.35, 0.5, 0.65, 0.8, 0.3, 0.7, 0.45, 0.55, 0.1, 0.9)
line <- function(key, ...) { cat(key, sprintf("%.15g", c(...)), sep = "\t"); cat("\n") }
root <- function(f, lo, hi) uniroot(f, c(lo, hi), tol = 1e-14)$root
mle <- function(u) {
  f <- fitdist(u, "beta", method = "mle", control = list(reltol = 1e-15, maxit = 5000))
  unname(f$estimate)
}
edf <- function(key, x, ...) {
  d <- suppressWarnings(ks.test(x, "pbeta", ...)$statistic)
  w <- cvm.test(x, "pbeta", ..., estimated = FALSE)$statistic
  a <- ad.test(x, "pbeta", ..., estimated = FALSE)$statistic
  line(key, d, w, a)
}
cat("# do not edit: made by beta_ref.R\n")
line("sample_sb", sb)
line("sample_sym", sym)

# Both shapes, support (0, 1), (-0.5, 1.5) and (0, 0.7).
for (s in list(c(0, 1), c(-0.5, 2), c(0, 0.7))) {
  u <- (sb - s[1]) / s[2]
  p <- mle(u)
  line(sprintf("mle_%g_%g", s[1], s[2]), p)
  edf(sprintf("edf_%g_%g", s[1], s[2]), u, p[1], p[2])
}
# One shape given (alpha 2): psi(a + b) - psi(b) = -mean(log(1 - u)).
g2 <- -mean(log(1 - sb))
line("beta_alpha2", root(function(b) digamma(2 + b) - digamma(b) - g2, 0.01, 100))
# Beta given (3), alpha found: psi(a + b) - psi(a) = -mean(log(u)).
g1 <- -mean(log(sb))
line("alpha_beta3", root(function(a) digamma(a + 3) - digamma(a) - g1, 0.01, 100))
# Equal shapes of a symmetric sample: psi(2a) - psi(a) = g.
g <- -mean(log(sym))
line("sym", root(function(a) digamma(2 * a) - digamma(a) - g, 0.01, 1000), mle(sym))
# All four given: statistics at alpha 2, beta 5 on (0, 1).
edf("edf_given", sb, 2, 5)
