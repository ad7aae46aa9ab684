# thresh_ref.R - samples and R's maximum-likelihood fits of the three-parameter
# Weibull and gamma laws (threshold, shape, scale), for tests/fit/threshold_fit_test.cpp.
# Tools: R (Debian r-base-core) with MASS (r-cran-mass) for galaxies.
# The likelihood is maximised by optim (Nelder-Mead, then BFGS) on the logarithms of
# the threshold's distance below the smallest value, the shape and the scale, from 21
# starts (thresholds 0.01 to 2 ranges below the smallest value, shapes 1.2, 2, 4); a
# result counts when its threshold lies below the smallest value by more than 1e-6 of
# the range and its Hessian (optimHess) is positive definite: an interior local maximum.
# Shapes above 1000 are not kept: there the runs stop on the valley that rises without
# end towards the limit of growing shape (the normal law for the gamma), wherever
# their tolerance is met (galaxies gamma: shape 8e11, threshold -4e9).
# The best such result is kept. Run: Rscript thresh_ref.R > thresh_ref.tsv
# Rows: sample_NAME values; weibull_NAME and gamma_NAME threshold, shape, scale,
# log-likelihood (none: no row); weibullc_NAME and gammaa_NAME the same with the shape
# given (as its second column).
library(MASS)
nllw <- function(p, x) { th <- p[1]; c <- p[2]; s <- p[3]; if (c <= 0 || s <= 0 || th >= min(x)) return(1e300); v <- -sum(dweibull(x - th, c, s, log = TRUE)); if (is.finite(v)) v else 1e300 }
nllg <- function(p, x) { th <- p[1]; a <- p[2]; s <- p[3]; if (a <= 0 || s <= 0 || th >= min(x)) return(1e300); v <- -sum(dgamma(x - th, shape = a, scale = s, log = TRUE)); if (is.finite(v)) v else 1e300 }
fitbest <- function(x, nll, gam, shape = NA) {
  r <- diff(range(x)); mn <- min(x); best <- NULL
  # u = (log(min - threshold), log shape, log scale): all of one size, so that the
  # Hessian's signs are read reliably.
  tr <- function(u) if (is.na(shape)) c(mn - exp(u[1]), exp(u[2]), exp(u[3])) else c(mn - exp(u[1]), shape, exp(u[2]))
  fn <- function(u) nll(tr(u), x)
  for (f in c(0.01, 0.03, 0.1, 0.3, 0.5, 1, 2)) for (c0 in c(1.2, 2, 4)) {
    a0 <- if (is.na(shape)) c0 else shape
    s0 <- if (gam) (mean(x) - mn + f * r) / a0 else (mean(x) - mn + f * r)
    u0 <- if (is.na(shape)) c(log(f * r), log(a0), log(s0)) else c(log(f * r), log(s0))
    o <- optim(u0, fn, control = list(maxit = 20000, reltol = 1e-15))
    o <- optim(o$par, fn, method = "BFGS", control = list(maxit = 10000, reltol = 1e-16))
    ev <- eigen(optimHess(o$par, fn), symmetric = TRUE)$values
    if (all(ev > 0) && exp(o$par[1]) > 1e-6 * r && exp(o$par[2]) < 1000 && o$value < 1e299 &&
        (is.null(best) || o$value < best$value))
      best <- o
  }
  if (is.null(best)) return(NULL)
  c(tr(best$par), -best$value)
}
line <- function(key, v) if (!is.null(v)) cat(paste(c(key, sprintf("%.15g", v)), collapse = "\t"), "\n", sep = "")
set.seed(20261208)
samples <- list(
  rivers = rivers,
  galaxies = galaxies,
  wlarge = signif(19000 + rweibull(60, 2.5, 1000), 8),
  gsmall = signif(0.001 + rgamma(50, 3, scale = 0.003), 8),
  w15 = signif(50 + rweibull(100, 1.5, 10), 8),
  g2 = signif(100 + rgamma(80, 2, scale = 5), 8),
  wneg = signif(-5 + rweibull(50, 3.5, 2), 8),
  g08 = signif(10 + rgamma(60, 0.8, scale = 2), 8))
cat("# do not edit: made by thresh_ref.R\n")
for (nm in names(samples)) {
  x <- samples[[nm]]
  line(paste0("sample_", nm), x)
  line(paste0("weibull_", nm), fitbest(x, nllw, FALSE))
  line(paste0("gamma_", nm), fitbest(x, nllg, TRUE))
}
line("weibullc_rivers", fitbest(rivers, nllw, FALSE, 1.1268))
line("gammaa_rivers", fitbest(rivers, nllg, TRUE, 1.456))
