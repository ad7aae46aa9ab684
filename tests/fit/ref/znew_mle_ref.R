# znew_mle_ref.R - reference fits for tests/fit/znew_mle_test.cpp.
# Tools: R 4.2.2 Patched (Debian r-base-core) with MASS (r-cran-mass).
# Run: Rscript znew_mle_ref.R   (writes znew_mle.tsv)
# Weibull with threshold 0: c solves the profile likelihood equation
#   sum x^c ln x / sum x^c - 1/c - mean(ln x) = 0,  sigma = mean(x^c)^(1/c),
# by uniroot to 1e-15; nll is the negative log-likelihood there. The fitdistr row is
# a cross-check of the root.
set.seed(17)
x <- round(rweibull(30, shape = 1.8, scale = 3), 4)
lx <- mean(log(x))
wc <- uniroot(function(c) sum(x^c * log(x)) / sum(x^c) - 1 / c - lx,
              c(0.1, 20), tol = 1e-15)$root
ws <- mean(x^wc)^(1 / wc)
fw <- MASS::fitdistr(x, "weibull")$estimate
rows <- c(x = x,
          weibull_sigma = ws, weibull_c = wc,
          weibull_nll = -sum(dweibull(x, wc, ws, log = TRUE)),
          fitdistr_weibull_c = fw[["shape"]])
out <- file("znew_mle.tsv", "w")
writeLines(c("# DO NOT EDIT: written by ref/znew_mle_ref.R (R 4.2.2, MASS)",
             "name\tvalue"), out)
writeLines(sprintf("%s\t%.17g", sub("^x[0-9]+$", "x", names(rows)), rows), out)
close(out)
