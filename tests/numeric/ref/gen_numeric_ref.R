# gen_numeric_ref.R - R side of the reference values of tests/numeric/*_test.cpp.
#
# Tool: R 4.2.2 Patched (2022-11-10 r83330), Debian r-base-core; written 2025 for the
# numerical toolkit tests.  Run by gen_numeric_ref.py (which also computes the mpmath
# values, compares the two and splices the tables into the tests):
#   Rscript gen_numeric_ref.R in.csv out.csv
# in.csv rows: fn,a1,a2,a3 (unused arguments NA); out.csv rows: the same plus the value,
# written with 17 significant digits.
args <- commandArgs(trailingOnly = TRUE)
d <- read.csv(args[1], header = FALSE, stringsAsFactors = FALSE,
              col.names = c("fn", "a1", "a2", "a3"))
val <- numeric(nrow(d))
for (i in seq_len(nrow(d))) {
  a1 <- as.numeric(d$a1[i]); a2 <- as.numeric(d$a2[i]); a3 <- as.numeric(d$a3[i])
  val[i] <- switch(d$fn[i],
    pnorm      = pnorm(a1),
    lpnorm     = pnorm(a1, log.p = TRUE),
    lpnormu    = pnorm(a1, lower.tail = FALSE, log.p = TRUE),
    qnorm      = qnorm(a1),
    lgamma     = lgamma(a1),
    lbeta      = lbeta(a1, a2),
    pbeta      = pbeta(a1, a2, a3),
    pbetau     = pbeta(a1, a2, a3, lower.tail = FALSE),
    dbeta      = dbeta(a1, a2, a3),
    pgamma     = pgamma(a1, a2),
    pgammau    = pgamma(a1, a2, lower.tail = FALSE),
    dgamma     = dgamma(a1, a2),
    qchisq     = qchisq(a1, a2),
    qt         = qt(a1, a2),
    qfu        = qf(a1, a2, a3, lower.tail = FALSE),
    qbeta      = qbeta(a1, a2, a3),
    pt2        = 2 * pt(-sqrt(a1), a2),
    stop(paste("unknown function", d$fn[i])))
}
out <- data.frame(d, v = sprintf("%.17g", val))
write.table(out, args[2], sep = ",", row.names = FALSE, col.names = FALSE, quote = FALSE)
