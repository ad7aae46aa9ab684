# fam_ref.R - reference values of the lognormal, Weibull and gamma fits and of their
# EDF statistics, made with R's MASS and goftest packages and uniroot on the
# likelihood equations. Run: Rscript fam_ref.R > fam_ref.tsv
# Columns: key, then values. Sample s3: 20 positive values with one tie.
suppressMessages({ library(MASS); library(goftest) })
s3 <- c(1.2, 2.5, 0.8, 3.1, 1.9, 4.6, 2.2, 1.4, 2.9, 0.95, 3.7, 2.2, 1.6, 5.3, 2.7, 1.1, 3.3, 2.0, 6.1, 1.8)
n <- length(s3)
line <- function(key, ...) { cat(key, sprintf("%.15g", c(...)), sep = "\t"); cat("\n") }
edf <- function(key, cdf, ...) {
  d <- suppressWarnings(ks.test(s3, cdf, ...)$statistic)
  w <- cvm.test(s3, cdf, ..., estimated = FALSE)$statistic
  a <- ad.test(s3, cdf, ..., estimated = FALSE)$statistic
  line(key, d, w, a)
}
root <- function(f, lo, hi) uniroot(f, c(lo, hi), tol = 1e-13)$root
cat("# do not edit: made by fam_ref.R\n")

# Lognormal, threshold given: zeta the mean of ln(x - theta), sigma the sd (N - 1).
for (th in c(0, 0.5)) {
  l <- log(s3 - th)
  line(sprintf("lnorm_theta%g", th), mean(l), sd(l))
  edf(sprintf("lnorm_theta%g_edf", th), function(q) plnorm(q - th, mean(l), sd(l)))
}
# Lognormal, threshold estimated: the maximum of the likelihood, on its profile over
# the threshold (zeta and sigma, of divisor N, at their maximum for each threshold);
# nlminb on all three parameters from there ends at the same point.
profile <- function(th) {
  l <- log(s3 - th); z <- mean(l)
  sum(dlnorm(s3 - th, z, sqrt(mean((l - z)^2)), log = TRUE))
}
th <- optimize(profile, c(-50, 0.79), maximum = TRUE, tol = 1e-12)$maximum
l <- log(s3 - th)
line("lnorm_theta_est", th, mean(l), sqrt(mean((l - mean(l))^2)), profile(th))

# Weibull, threshold 0 and 0.5 given: maximum likelihood of shape and scale.
for (th in c(0, 0.5)) {
  f <- suppressWarnings(fitdistr(s3 - th, "weibull", control = list(reltol = 1e-14)))
  # The profile equation solved exactly, as the check of fitdistr's optimiser.
  y <- s3 - th
  c <- root(function(c) sum(y^c * log(y)) / sum(y^c) - 1 / c - mean(log(y)), 0.2, 20)
  s <- mean(y^c)^(1 / c)
  line(sprintf("weib_theta%g", th), c, s, f$estimate[["shape"]], f$estimate[["scale"]])
  edf(sprintf("weib_theta%g_edf", th), function(q) pweibull(q - th, c, s))
}
# Weibull, threshold 0 and scale 3 given: the shape's likelihood equation.
c <- root(function(c) n / c + sum(log(s3 / 3)) - sum((s3 / 3)^c * log(s3 / 3)), 0.2, 20)
line("weib_sigma3", c)

# Gamma, threshold given: ln(alpha) - digamma(alpha) = ln(mean / geometric mean).
for (th in c(0, 0.5)) {
  y <- s3 - th
  a <- root(function(a) log(a) - digamma(a) - log(mean(y) / exp(mean(log(y)))), 0.01, 1000)
  f <- suppressWarnings(fitdistr(y, "gamma", control = list(reltol = 1e-14)))
  line(sprintf("gamma_theta%g", th), a, mean(y) / a, f$estimate[["shape"]], 1 / f$estimate[["rate"]])
  edf(sprintf("gamma_theta%g_edf", th), function(q) pgamma(q - th, a, scale = mean(y) / a))
}
# Gamma, threshold 0 and scale 1.5 given: digamma(alpha) = ln(geometric mean / 1.5).
a <- root(function(a) digamma(a) - mean(log(s3 / 1.5)), 0.01, 1000)
line("gamma_sigma15", a)
