# calendar_ref.py - reference dates for the calendar, week and day-count tests.
# Writes calendar_ref.txt beside this script; the tests read that file only.
#
# The host calendar counts days from 1 January 1960 and is the Gregorian calendar
# without the leap day of years divisible by 4000. Python's datetime knows years 1
# to 9999 of the plain Gregorian calendar; it is used directly up to 28 February
# 4000, where the two agree. For later dates the weekday and the week numbers are
# taken from an analogue year of datetime's range whose 1 January falls on the same
# weekday and whose length and previous year's length match: week numbering depends
# on nothing else.
#
# Columns: day year month day day_of_year weekday(1 Sunday..7 Saturday)
#          iso_year iso_week iso_weekday week_U week_W
import datetime
import random

FIRST, LAST = 1582, 20000
ORIGIN = datetime.date(1960, 1, 1).toordinal()


def greg_leap(y):
    return y % 4 == 0 and (y % 100 != 0 or y % 400 == 0)


def leap(y):
    return greg_leap(y) and y % 4000 != 0


def month_len(y, m):
    return [31, 29 if leap(y) else 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31][m - 1]


def greg_ordinal(y, m, d):
    # Proleptic Gregorian ordinal (1 January of year 1 is 1), as datetime counts.
    if y <= 9999:
        return datetime.date(y, m, d).toordinal()
    p = y - 1
    before = 365 * p + p // 4 - p // 100 + p // 400
    cum = [0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334][m - 1]
    return before + cum + (1 if m > 2 and greg_leap(y) else 0) + d


def day_number(y, m, d):
    dropped = sum(1 for k in range(4000, y + 1, 4000) if k < y or m > 2)
    return greg_ordinal(y, m, d) - ORIGIN - dropped


def weekday(day):
    return (day + 5) % 7 + 1  # 1 January 1960 was a Friday


analogues = {}
for a in range(1583, 4000):
    key = (datetime.date(a, 1, 1).isoweekday() % 7 + 1, greg_leap(a), greg_leap(a - 1))
    analogues.setdefault(key, a)


def row(y, m, d):
    day = day_number(y, m, d)
    doy = day - day_number(y, 1, 1) + 1
    wd = weekday(day)
    if (y, m) < (4000, 3):
        dt = datetime.date(y, m, d)
        assert dt.isoweekday() % 7 + 1 == wd
        shift = 0
    else:
        a = analogues[(weekday(day_number(y, 1, 1)), leap(y), leap(y - 1))]
        dt = datetime.date(a, m, d)
        assert dt.isoweekday() % 7 + 1 == wd
        shift = y - a
    iy, iw, iwd = dt.isocalendar()
    return (day, y, m, d, doy, wd, iy + shift, iw, iwd, int(dt.strftime("%U")), int(dt.strftime("%W")))


def main():
    rng = random.Random(20261206)
    dates = set()
    while len(dates) < 3000:
        y = rng.randint(FIRST, LAST)
        m = rng.randint(1, 12)
        dates.add((y, m, rng.randint(1, month_len(y, m))))
    for y in (1582, 1600, 1900, 1959, 1960, 2000, 2020, 2021, 2024, 3999, 4000, 4001, 8000, 9999, 10000,
              12000, 16000, 19999, 20000):
        for m, d in ((1, 1), (1, 2), (1, 3), (1, 4), (1, 7), (2, 28), (3, 1), (12, 28), (12, 29), (12, 31)):
            dates.add((y, m, d))
        if leap(y):
            dates.add((y, 2, 29))
    rows = [row(*t) for t in sorted(dates)]
    assert rows[0][0] == -138061 and day_number(20001, 1, 1) == 6589336
    with open(__file__.replace(".py", ".txt"), "w") as f:
        f.write("# calendar_ref.txt - made by calendar_ref.py; do not edit.\n")
        f.write("# Python %s datetime; %d dates.\n" % (__import__("sys").version.split()[0], len(rows)))
        f.write("# day year month day day_of_year weekday iso_year iso_week iso_weekday week_U week_W\n")
        for r in rows:
            f.write(" ".join(str(v) for v in r) + "\n")


main()
