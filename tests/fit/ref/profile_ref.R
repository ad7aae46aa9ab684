# profile_ref.R - R's data sets for the threshold fits (rdata/*.txt) and R's largest
# interior local maxima of their likelihoods (profile_ref.tsv): the profile
# log-likelihood over the threshold (the other parameters at their maximum for each
# threshold) read on a grid of distances below the smallest value, from 1e-8 to 1e6
# ranges, each local maximum refined by optimize (the profile is exact: the other
# parameters solve their equations at each threshold). Tools: R (Debian r-base-core) with MASS
# (r-cran-mass) for cats. Run in this folder: Rscript profile_ref.R > profile_ref.tsv
suppressMessages(library(MASS))
sets <- list(trees_Volume = trees$Volume, cats_Hwt = cats$Hwt, faithful_waiting = faithful$waiting,
             quakes_stations = quakes$stations, mtcars_drat = mtcars$drat, mtcars_wt = mtcars$wt,
             airquality_Temp = airquality$Temp, airquality_Wind = airquality$Wind, precip = as.numeric(precip),
             iris_Petal.Length = iris$Petal.Length, discoveries_years = as.numeric(1860:1959),
             stackloss = as.numeric(stackloss$stack.loss), airquality_Day = as.numeric(airquality$Day))
for (k in names(sets)) writeLines(c(paste("#", k, "- made by profile_ref.R; do not edit."),
                                    sprintf("%.17g", sets[[k]])), file.path("rdata", paste0(k, ".txt")))
line <- function(key, ...) { cat(key, sprintf("%.15g", c(...)), sep = "\t"); cat("\n") }
cat("# do not edit: made by profile_ref.R\n# key, threshold, scale, shape 1, shape 2, log L (shape 2 0 where none)\n")

# Profiles at threshold th = min - d: log L and the other parameters at their maximum,
# in the values' distances from the smallest (log y = log d + log1p((x - min) / d)),
# so that thresholds far below the data keep their digits.
lnorm_prof <- function(x, th) { d <- min(x) - th; l <- log1p((x - min(x)) / d); z <- mean(l)
  s <- sqrt(mean((l - z)^2)); n <- length(x)
  c(-n * log(d) - sum(l) - n * log(s) - n / 2 - n * log(2 * pi) / 2, s, log(d) + z) }
stirling <- function(a) if (a >= 10) 1 / (12 * a) - 1 / (360 * a^3) + 1 / (1260 * a^5) - 1 / (1680 * a^7) else
  lgamma(a) - ((a - 0.5) * log(a) - a + log(2 * pi) / 2)
gamma_prof <- function(x, th) { d <- min(x) - th; l <- log1p((x - min(x)) / d); n <- length(x)
  a <- log1p(mean(x - min(x)) / d) - mean(l)
  f <- function(al) (if (al >= 1e6) 1 / (2 * al) + 1 / (12 * al^2) else log(al) - digamma(al)) - a
  al <- uniroot(f, c(1e-8, 1e15), tol = 1e-15 * max(1, 1 / a))$root
  c(n * (log(al / (2 * pi)) / 2 - stirling(al) - al * a) - n * log(d) - sum(l), (d + mean(x - min(x))) / al, al) }
weib_prof <- function(x, th) { y <- x - th; ly <- log(y)
  h <- function(c) { q <- exp(c * (ly - max(ly))); 1 / c + mean(ly) - sum(q * ly) / sum(q) }
  c <- uniroot(h, c(1e-3, 1e8), tol = 1e-15)$root; s <- mean(y^c)^(1 / c)
  c(sum(dweibull(y, c, s, log = TRUE)), s, c) }
beta_prof <- function(x, th, s) { u <- (x - th) / s
  nll <- function(p) -sum(dbeta(u, exp(p[1]), exp(p[2]), log = TRUE)) + length(u) * log(s)
  o <- optim(c(0, 0), nll, method = "BFGS", control = list(reltol = 1e-15, maxit = 1000))
  c(-o$value, s, exp(o$par)) }

# The largest interior maximum over thresholds th(t), t on a grid.
largest <- function(f, t) {
  v <- sapply(t, function(u) tryCatch(f(u)[1], error = function(e) -Inf))
  best <- NULL
  for (j in which(diff(sign(diff(v))) < 0) + 1) {
    o <- optimize(function(u) f(u)[1], c(t[j - 1], t[j + 1]), maximum = TRUE, tol = 1e-13)
    if (is.null(best) || o$objective > best$objective) best <- o
  }
  best
}
far <- function(x, f) {
  r <- diff(range(x)); t <- seq(-8, 6, by = 1 / 16)
  b <- largest(function(u) f(x, min(x) - r * 10^u), t)
  if (is.null(b)) return(NULL)
  th <- min(x) - r * 10^b$maximum
  c(th, f(x, th))
}
fam <- list(lognormal = lnorm_prof, gamma = gamma_prof, weibull = weib_prof)
for (k in c("trees_Volume", "cats_Hwt", "quakes_stations", "mtcars_drat", "mtcars_wt", "airquality_Temp",
            "precip", "stackloss", "faithful_waiting", "airquality_Day")) {
  for (f in names(fam)) {
    p <- far(sets[[k]], fam[[f]])
    if (is.null(p)) cat(paste0(f, "_", k, "\tnone\n")) else line(paste0(f, "_", k), p[1], p[3], p[4], 0, p[2])
  }
}
# Beta with the threshold estimated and the scale given: thresholds between
# max - sigma and min, by the share t of that interval.
for (ks in list(c("discoveries_years", 118.8), c("iris_Petal.Length", 7.08), c("mtcars_drat", 2.604))) {
  x <- sets[[ks[1]]]; s <- as.numeric(ks[2]); lo <- max(x) - s; hi <- min(x)
  b <- largest(function(t) beta_prof(x, lo + (hi - lo) * t, s), seq(0, 1, length.out = 402)[2:401])
  th <- lo + (hi - lo) * b$maximum; p <- beta_prof(x, th, s)
  line(paste0("beta_sigma_", ks[1]), th, s, p[3], p[4], p[1])
}
