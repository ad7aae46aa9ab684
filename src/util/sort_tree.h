// Small sorting, tree and centring routines that other subsystems call.
#pragma once

// Index sort of doubles. With dropmiss the positions of the nonmissing values (any
// NaN is missing) go first into index, in position order; without it 0..n-1. Those
// count entries are then permuted so that the values they point at ascend. index
// needs room for 2*count ints (the second half is work space). Returns count.
int zrankl(const double* values, int n, int* index, int dropmiss);

// Compare routine of ztrebdf: (new node, tree node, key length, key offset).
using ztre_compare = int (*)(const void* a, const void* b, int keylen, int keyoff);

// Balanced-tree insertion. Node layout: left link, right link, then a 16-bit balance;
// the key at keyoff. With a compare routine its result orders the keys; else keys of
// keylen below 1 are doubles and others keylen bytes. Returns the tree node with an
// equal key (node not inserted), else node; 0 after an invalid comparison.
void* ztrebdf(void** root, void* node, int keylen, int keyoff, ztre_compare compare);

// Byte comparison (as memcmp) of keylen bytes at keyoff of a and b.
int ztrecc(const void* a, const void* b, int keylen, int keyoff);

// Print column (from 1) at which a text of width characters is centred.
int zcenter(int width);
