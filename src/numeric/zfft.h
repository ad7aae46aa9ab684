// zfft.h - in-place mixed-radix complex Fourier transform.
//
//   int zfft(double* a, double* b, int ntot, int n, int nspan, int isn)
//     transforms, in place, one dimension of ntot complex values (real parts a,
//     imaginary parts b): n is the length of that dimension, nspan n times its
//     spacing (nspan = n = ntot for a single sequence). The sign of isn is the sign
//     of the exponent, its magnitude the step between successive array elements.
//     Unscaled both ways: isn = +1 then isn = -1 gives n times the input.
//     0 done; 1 when n < 2 or n does not factor within the limits below (nothing
//     is changed then).
//
//   void zfftfac(int* factors, int n, int* count, int* kt, int* largest, int* product)
//     factors n for zfft: square factors (16 as 4, 4 as 2, then odd squares), the
//     square-free factors, and the square factors again in reverse order, so that
//     the list reads the same from both ends around the square-free middle. On entry
//     *largest and *product hold the limits (largest factor, product of the
//     square-free factors); on success *count, *kt (square factors), *largest and
//     *product describe the list; on failure *count is 0.
#pragma once

inline constexpr int ZFFT_MAXFACTORS = 11;
inline constexpr int ZFFT_MAXFACTOR = 23;
inline constexpr int ZFFT_MAXSQFREE = 209;

int zfft(double* a, double* b, int ntot, int n, int nspan, int isn);
void zfftfac(int* factors, int n, int* count, int* kt, int* largest, int* product);
