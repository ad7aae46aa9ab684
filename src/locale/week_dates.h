// Week numbering under three rules, week-date texts in both directions, and
// calendar day counts. The week rule is a text whose first character selects it:
// U weeks from Sunday (days before the first Sunday are week 0), W weeks from Monday
// (days before the first Monday are week 0), V ISO weeks (week 1 holds the year's
// first Thursday; the week-numbering year can differ from the calendar year).
#pragma once

// Week-numbering year, week and weekday of a date (U: Sunday 1 to Saturday 7; W and
// V: Monday 1 to Sunday 7). 0, or KES_LOC_BAD_VALUE for a missing or out-of-range
// date (outputs -1). Another rule letter leaves the week at -1 and gives the
// calendar year and the weekday of rule W.
int get_yywwdd(const char* rule, int flag, double* year, double* week, double* weekday, double date);
// The week number alone; 0 or KES_LOC_BAD_VALUE.
int zkweek(double* week, int spare, const char* rule, int flag, double date);
// Writes the week-date text of a date into field; *width holds the room on entry and
// the text length on return. A width below 3 or a bad date fills the field with "*".
// Returns 0.
int zkfweek(char* field, int* width, const char* rule, int flag, double date);
// Writes a week date into field by the width (W01, 21W01, 21W0102, 2021W0102,
// 2021-W01-02; a year beyond 9999 in full); 0, or -1 for a width below 3 or a text
// that does not fit.
int construct_week(double year, const char* rule, int flag, char* field, double week, double weekday, int* width);
// Reads a week-date text. *value holds on entry the first year of the two-digit
// year window (0: 1900) and on return the date. The year has 2, 4 or 5 digits or
// none (the current year). 0 read; -1 a part is unreadable;
// KES_WEEK_NO_W without a W; 1 a year, week or weekday out of range or no date.
int zkifweek(const char* text, int length, const char* rule, int spare, double* value);
constexpr int KES_WEEK_NO_W = static_cast<int>(0x80000000u);

// Month, day and year of a date; 0, or KES_LOC_BAD_VALUE (outputs 0).
int getMonthDayYear(double date, int* month, int* day, int* year);

// Day counts on (month, day, year); they follow the host's calendar.
int isLeapYear(int year);
int lastDay(int year, int month);
int dateOffset(int month, int day, int year);
int diff_actual(int m1, int d1, int y1, int m2, int d2, int y2);
void diff_actact(int m1, int d1, int y1, int m2, int d2, int y2, int* days, double* fraction);
int diff_30_360(int m1, int d1, int y1, int m2, int d2, int y2);
