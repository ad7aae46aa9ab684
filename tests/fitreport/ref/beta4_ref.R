# beta4_ref.R - samples and R's maximum-likelihood fits of the beta law with the
# threshold and the scale estimated (four parameters, or three with the scale given).
# The likelihood is maximised by optim (Nelder-Mead, then BFGS) on log-distances of
# the support's ends from the data and log-shapes, from 18 starts; the best is kept.
# A maximum whose support ends lie within e^-15 of the data is at the edge: the
# likelihood has no interior maximum there.
# Run: Rscript beta4_ref.R > beta4_ref.tsv
# Rows: sample_NAME values; moments_NAME skewness, excess kurtosis (the procedure's
# default, divisor n - 1); mle4_NAME alpha, beta, theta, sigma, -log L (interior
# maxima); edge_NAME -log L at the edge (no interior maximum); mle3_NAME the same as
# mle4 with sigma given as its last column.
line <- function(key, ...) { cat(key, sprintf("%.15g", c(...)), sep = "\t"); cat("\n") }
moments <- function(x) {
  n <- length(x); z <- (x - mean(x)) / sd(x)
  c(n / ((n - 1) * (n - 2)) * sum(z^3),
    n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) * sum(z^4) - 3 * (n - 1)^2 / ((n - 2) * (n - 3)))
}
fit <- function(x, sigma = NA) {
  n <- length(x); mn <- min(x); mx <- max(x); r <- mx - mn
  tr <- function(u) {
    th <- mn - exp(u[1]); sg <- if (is.na(sigma)) mx - th + exp(u[2]) else sigma
    c(exp(u[3]), exp(u[4]), th, sg)
  }
  nll <- function(u) {
    p <- tr(u)
    if (any(!is.finite(p)) || p[3] + p[4] <= mx) return(1e300)
    v <- -sum(dbeta((x - p[3]) / p[4], p[1], p[2], log = TRUE)) + n * log(p[4])
    if (is.finite(v)) v else 1e300
  }
  best <- NULL
  for (a0 in c(1.2, 2, 4)) for (b0 in c(1.2, 2, 4)) for (e in c(0.02, 0.2)) {
    u0 <- c(log(e * r), log(e * r), log(a0), log(b0))
    if (!is.na(sigma)) u0[1] <- log((mn - (mx - sigma)) / 2)
    o <- optim(u0, nll, control = list(maxit = 50000, reltol = 1e-15))
    o <- optim(o$par, nll, method = "BFGS", control = list(maxit = 10000, reltol = 1e-16))
    if (is.null(best) || o$value < best$value) best <- o
  }
  edge <- best$par[1] < -15 || (is.na(sigma) && best$par[2] < -15)
  list(p = tr(best$par), f = best$value, edge = edge)
}
cases <- list(
  list(name = "b25_80", seed = 11, n = 80, a = 2, b = 5, th = 0, sg = 1),
  list(name = "b52_60", seed = 14, n = 60, a = 5, b = 2, th = -1, sg = 2),
  list(name = "b33_50", seed = 12, n = 50, a = 3, b = 3, th = 0, sg = 1),
  list(name = "b24_200", seed = 15, n = 200, a = 2.5, b = 4, th = 100, sg = 20),
  list(name = "b24_50", seed = 1014, n = 50, a = 2.5, b = 4, th = 0, sg = 1),
  list(name = "b153_200", seed = 1024, n = 200, a = 1.5, b = 3, th = 0, sg = 1),
  list(name = "b25_30", seed = 1001, n = 30, a = 2, b = 5, th = 0, sg = 1),
  list(name = "b153_30", seed = 1021, n = 30, a = 1.5, b = 3, th = 0, sg = 1))
cat("# do not edit: made by beta4_ref.R\n")
for (s in cases) {
  set.seed(s$seed)
  x <- signif(s$th + s$sg * rbeta(s$n, s$a, s$b), 8)
  line(paste0("sample_", s$name), x)
  line(paste0("moments_", s$name), moments(x))
  f <- fit(x)
  if (f$edge) line(paste0("edge_", s$name), f$f) else line(paste0("mle4_", s$name), f$p, f$f)
}
# Three parameters: b25_80 with the scale given as 1.
set.seed(11)
x <- signif(rbeta(80, 2, 5), 8)
f <- fit(x, 1)
line("mle3_b25_80", f$p, f$f)
