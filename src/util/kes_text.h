// Routines on fixed-length, blank-padded texts (pointer, length) and on arrays of
// doubles. Where a routine allows it, a negative length means a NUL-terminated text
// whose output is NUL-terminated too. None of them allocates memory.
#pragma once

// 1 when len is 0 or less or all len bytes equal ch, else 0.
int vzatl(int ch, const char* text, int len);
// Stores value into n consecutive doubles (nothing for n of 0 or less).
void vzfdl(double value, double* array, int n);
// Copies min(srclen, dstlen) bytes and blank-fills the rest of dst; srclen 0 (or
// below) makes dst all blanks. The two areas may overlap.
void vzmp(const char* src, int srclen, char* dst, int dstlen);

// Compares the keys at byte offset `offset` of records a and b: -1, 0 or 1.
// keylen below 0: doubles (missing values below every number, among themselves by
// their kind); 0: signed 32-bit ints; above 0: keylen bytes, unsigned.
int wzbcoff(const void* a, const void* b, int keylen, int offset);

// Concatenates npieces (const char* text, int len) pairs into dst, with sep (when 0
// or more) between two pieces; blank-pads dst, or with dstlen below 0 writes at most
// -dstlen-1 characters and a NUL. Returns the characters written.
int wzstcat(char* dst, int dstlen, int sep, int npieces, ...);
// Signed position (from 1) of the first difference of two blank-padded texts, 0 when
// they are equal; negative when a sorts below b.
int wzstcom(const char* a, int alen, const char* b, int blen);
// Removes every byte of text that occurs in chars; returns the new length.
int wzstdel(char* text, int len, const char* chars, int nchars);
// 1 when the two texts are equal ignoring case, else 0.
int wzsteqn(const char* a, int alen, const char* b, int blen);
// Justifies in place ('L', 'R', 'C' in either case); *textlen receives the length
// without leading and trailing blanks, *start the new position of the first
// non-blank (either pointer may be null). Returns that length.
int wzstjls(char* text, int len, int how, int* textlen, int* start);
// wzstjls without the start output.
int wzstjus(char* text, int len, int how);
// Length of a NUL-terminated text; 0 for a null pointer.
int wzstlen(const char* text);
// Position (from 0) of the first occurrence of sub in text; -1 when absent.
int wzstndx(const char* text, int len, const char* sub, int sublen);
// Position (from 0) of the first byte equal to ch; -1 when absent.
int wzstpos(const char* text, int len, int ch);
// len without the trailing blanks.
int wzstrip(const char* text, int len);
// In place: each byte found in from[0..n-1] becomes the to byte at the same index.
void wzstrns(char* text, int len, const char* to, const char* from, int n);
// Translates len bytes from src to dst through the host's table for mode (2 is
// upper case). 0, or KES_XLT_BADMODE for a mode outside 0..4.
int wztxxlt(int mode, const char* src, char* dst, int len);

constexpr int KES_XLT_BADMODE = static_cast<int>(0x8000200au);
