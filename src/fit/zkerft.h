// zkerft.h - real Fourier transforms of 2^k doubles for the kernel grid.
//
// Packed layout of the transform of a real sequence of length M (half = M/2):
// element 0 the zero-frequency term, 1 .. half-1 the real parts of frequencies
// 1 .. half-1, half the real term of frequency half, half+j the imaginary part of
// frequency j.
//
//   void zkerft(double* a, int m, int k)    forward, in place, m = 2^k: the discrete
//                                            transform divided by m (a[0] = the mean)
//   void zkerfti(double* a, int m, int k)   its exact inverse
//   void fastg(double* x, double* y, int n, int direction)
//     complex transform of n = 2^k points in place, natural order in, bit-reversed
//     order out; direction 1 forward and divided by n, -1 inverse and unscaled
//   void scrag(double* a, int n, int k)     bit-reversal permutation of n = 2^k
#pragma once

void zkerft(double* a, int m, int k);
void zkerfti(double* a, int m, int k);
void fastg(double* x, double* y, int n, int direction);
void scrag(double* a, int n, int k);
