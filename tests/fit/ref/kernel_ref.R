# kernel_ref.R - reference values for the FFT and kernel density tests.
# Run: Rscript kernel_ref.R   (writes fft_ref.tsv, density_ref.tsv and bwsj_ref.tsv
# beside this script; the tests read those files only).
#
# fft_ref.tsv: for each length n, the input x[j] = cos(0.7 j^1.3) + i sin(0.3 j) and
#   its transform by R's fft (exponent -2 pi i jk/n): rows "n j re im".
# density_ref.tsv: stats::density at the grid points for fixed samples: rows
#   "case kernel bw from to n i x y". bw is R's standard deviation of the kernel: h for
#   the normal kernel, h/sqrt(6) triangular, h/sqrt(5) quadratic (h the half-width).
# bwsj_ref.tsv: bw.SJ(x, method = "ste") of R's standard data sets, and the same
#   with the pilots scaled by the standard deviation alone and the root searched
#   between 2 h_OS / 18 and 2 h_OS (h_OS the oversmoothed bandwidth) to a tolerance
#   of 1e-7: rows "name n bw bw_sd" (bw_sd NA when that interval holds no root).
out <- function(file, header, df) {
  con <- file(file, "w")
  writeLines(c(paste0("# ", file, " - made by kernel_ref.R; do not edit."),
               paste0("# ", R.version.string), header), con)
  write.table(df, con, quote = FALSE, row.names = FALSE, col.names = FALSE, sep = "\t")
  close(con)
}
options(digits = 17)

lens <- c(2, 3, 4, 5, 7, 8, 9, 11, 13, 15, 16, 17, 19, 23, 25, 27, 30, 36, 48, 49, 64, 77, 100,
          121, 143, 169, 187, 209, 243, 360, 529, 1024)
rows <- list()
for (n in lens) {
  j <- 0:(n - 1)
  x <- complex(real = cos(0.7 * j^1.3), imaginary = sin(0.3 * j))
  y <- fft(x)
  rows[[length(rows) + 1]] <- data.frame(n = n, j = j, re = sprintf("%.17g", Re(y)),
                                         im = sprintf("%.17g", Im(y)))
}
out("fft_ref.tsv", "# n j re im", do.call(rbind, rows))

# Samples: a fixed pseudo-random normal sample and a skewed one.
set.seed(20261206)
samples <- list(normal = round(rnorm(200, 10, 2), 3), skewed = round(rexp(150, 0.5), 3))
rows <- list()
kernels <- c(gaussian = 1, triangular = sqrt(6), epanechnikov = sqrt(5))
for (s in names(samples)) {
  x <- samples[[s]]
  for (k in names(kernels)) {
    h <- if (k == "gaussian") 0.6 else 1.5
    from <- min(x) - 3 * h
    to <- max(x) + 3 * h
    d <- density(x, bw = h / kernels[[k]], kernel = k, from = from, to = to, n = 64)
    rows[[length(rows) + 1]] <- data.frame(case = s, kernel = k, h = h, from = sprintf("%.17g", from),
                                           to = sprintf("%.17g", to), i = 0:63,
                                           x = sprintf("%.17g", d$x), y = sprintf("%.17g", d$y))
  }
}
out("density_ref.tsv", "# case kernel h from to i x y", do.call(rbind, rows))
for (s in names(samples))
  writeLines(c(paste0("# sample_", s, ".txt - made by kernel_ref.R; do not edit."),
               sprintf("%.3f", samples[[s]])), paste0("sample_", s, ".txt"))

sets <- list(faithful_eruptions = faithful$eruptions, faithful_waiting = faithful$waiting,
             precip = as.numeric(precip), rivers = as.numeric(rivers), Nile = as.numeric(Nile),
             islands_log = log10(as.numeric(islands)), airquality_Ozone = na.omit(airquality$Ozone),
             mtcars_mpg = mtcars$mpg, trees_Volume = trees$Volume, women_height = women$height,
             quakes_mag = quakes$mag, LakeHuron = as.numeric(LakeHuron), lynx_log = log10(as.numeric(lynx)),
             cars_dist = cars$dist, iris_Sepal.Length = iris$Sepal.Length, ldeaths = as.numeric(ldeaths),
             stackloss = stackloss$stack.loss, morley_Speed = morley$Speed, chickwts = chickwts$weight,
             PlantGrowth = PlantGrowth$weight, ToothGrowth = ToothGrowth$len, sunspot_year = as.numeric(sunspot.year))
sj_sd <- bw.SJ
body(sj_sd) <- parse(text = sub("scale <- min(sd(x), IQR(x)/1.349)", "scale <- sd(x)",
                                paste(deparse(body(bw.SJ)), collapse = "\n"), fixed = TRUE))[[1]]
environment(sj_sd) <- asNamespace("stats")
bw_sd <- function(v) {
  os <- 3 * (1 / (2 * sqrt(pi)) / 35)^0.2 * sd(v) * length(v)^-0.2
  r <- tryCatch(sj_sd(v, lower = 2 * os / 18, upper = 2 * os, tol = 1e-7), error = function(e) NA)
  sprintf("%.17g", r)
}
rows <- data.frame(name = names(sets), n = sapply(sets, length),
                   bw = sapply(sets, function(v) sprintf("%.17g", bw.SJ(v, method = "ste"))),
                   bw_sd = sapply(sets, bw_sd))
out("bwsj_ref.tsv", "# name n bw bw_sd", rows)
for (s in names(sets))
  writeLines(c(paste0("# ", s, " - made by kernel_ref.R; do not edit."), sprintf("%.17g", sets[[s]])),
             file.path("bwsj", paste0(s, ".txt")))
