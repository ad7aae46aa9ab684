# fit_ref.R - reference values of the fitted-distribution tests, made with R's
# stats and goftest packages. Run: Rscript fit_ref.R > fit_ref.tsv
# Columns: key, then values. Samples:
#   s1 (12 values, roughly normal), s2 (14 values, roughly exponential).
suppressMessages(library(goftest))
s1 <- c(4.2, 5.1, 3.8, 6.0, 5.5, 4.9, 5.3, 4.4, 6.2, 5.0, 4.7, 5.8)
s2 <- c(0.3, 1.7, 0.9, 2.4, 0.1, 3.8, 1.2, 0.6, 0.45, 2.9, 1.05, 0.75, 5.2, 0.2)
out <- function(key, ...) cat(key, sprintf("%.15g", c(...)), sep = "\t", fill = FALSE)
line <- function(key, ...) { out(key, ...); cat("\n") }
edf <- function(key, x, cdf, ...) {
  d <- suppressWarnings(ks.test(x, cdf, ...)$statistic)
  w <- cvm.test(x, cdf, ..., estimated = FALSE)$statistic
  a <- ad.test(x, cdf, ..., estimated = FALSE)$statistic
  line(key, d, w, a)
}
cat("# do not edit: made by fit_ref.R\n")
# Normal: parameters, then D, W-Sq, A-Sq at those parameters.
m <- mean(s1); s <- sd(s1)
line("normal_est_params", m, s)
edf("normal_est", s1, "pnorm", mean = m, sd = s)
edf("normal_given", s1, "pnorm", mean = 5, sd = 0.7)
edf("normal_sd07", s1, "pnorm", mean = m, sd = 0.7)
# MU=5 given, sigma about it with divisor N.
s5 <- sqrt(sum((s1 - 5)^2) / length(s1))
line("normal_mu5_sigma", s5)
edf("normal_mu5", s1, "pnorm", mean = 5, sd = s5)
# Exponential, threshold 0 and scale 1.5 given.
pe <- function(q, theta, sigma) pexp(q - theta, rate = 1 / sigma)
edf("expo_given", s2, pe, theta = 0, sigma = 1.5)
# Threshold 0 given, scale estimated as the mean.
line("expo_scale_est_params", 0, mean(s2))
edf("expo_scale_est", s2, pe, theta = 0, sigma = mean(s2))
# Both estimated: sigma = n/(n-1) (mean - min), theta = min - sigma/n.
n <- length(s2); sg <- n / (n - 1) * (mean(s2) - min(s2)); th <- min(s2) - sg / n
line("expo_both_est_params", th, sg)
edf("expo_both_est", s2, pe, theta = th, sigma = sg)
# Threshold estimated (as the minimum), scale 1.5 given: the smallest value is left out.
edf("expo_theta_est", s2[s2 > min(s2)], pe, theta = min(s2), sigma = 1.5)
# Expected percents of the normal fit of s1 in bins of width 0.5 centred on 3.5 .. 6.5.
mids <- seq(3.5, 6.5, by = 0.5)
line("normal_binpct", 100 * (pnorm(mids + 0.25, m, s) - pnorm(mids - 0.25, m, s)))
# Exponential (theta 0, sigma = mean) in bins of width 1 centred on 0 .. 5.
mids <- 0:5
line("expo_binpct", 100 * (pe(pmax(mids + 0.5, 0), 0, mean(s2)) - pe(pmax(mids - 0.5, 0), 0, mean(s2))))
# Fitted quantiles at the default percents.
pc <- c(1, 5, 10, 25, 50, 75, 90, 95, 99) / 100
line("normal_quant", qnorm(pc, m, s))
line("expo_quant", qexp(pc, 1 / mean(s2)))
# Observed quantiles of s1 under PCTLDEF= 1..5 (R's types 4, 3, 1, 6, 2).
for (d in 1:5) line(paste0("pctldef", d), quantile(s1, pc, type = c(4, 3, 1, 6, 2)[d], names = FALSE))
