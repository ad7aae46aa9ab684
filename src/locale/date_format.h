// Date, time and datetime formatting by the locale's pattern language: "%", an
// optional flag "0" (zero pad, the default) or "#" (no pad), an optional "?" (the
// lower-case form), and a directive letter (A B C D E F G H I J M N O P Q S U V W Y
// Z, or "%" for itself).
#pragma once

// Statuses of the formatters (besides KES_LOC_NO_ITEM and KES_LOC_BAD_VALUE).
constexpr int KES_FMT_CUT = 1;            // the text was longer than the field and was cut
constexpr int KES_FMT_BAD_DIRECTIVE = -2; // a directive letter outside the language
// Size of the expansion's work area.
constexpr int KES_FMT_WORK = 512;

// The formatter entries. field and *width: the output field; on entry *width is its
// width (negative: right-aligned in |width| columns), after a full expansion the
// number of characters produced. The pattern is (text, length), or with a null text
// the locale item numbered `length_or_item` (none for a number not above 0). With a
// null field the count of characters that would be produced is returned.
int zkfdate(char* field, int* width, const char* pattern, int length_or_item, double date);
int zkftime(char* field, int* width, const char* pattern, int length_or_item, double time);
int zkfdttm(char* field, int* width, const char* pattern, int length_or_item, double datetime);
int zkrfdttm(int locale, char* field, int* width, const char* pattern, int length_or_item, double datetime);

// The shared pattern interpreter; date, hour, minute and second may be missing.
int expand(int locale, const char* pattern, int pattern_len, double date, double hour, double minute,
           double second, char* field, int* width);

// The directive whose optional "?" or letter is at pattern position i: its letter
// (upper case; N for a lower-case M) and whether its lower-case form is asked.
// Returns the position after it, or -1 when the pattern ends first.
int kes_directive_letter(const char* pattern, int len, int i, char* letter, bool* lower);

// Decimal digits of value (truncated toward zero) into dest: with a pad character
// exactly `width` digits, the lowest ones, leading zeros turned into the pad when it
// is not '0'; with pad 0 as many digits as needed. Returns the characters written.
int i2s(double value, char* dest, int width, int pad);
