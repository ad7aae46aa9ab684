// Readers of numbers written by a locale's conventions (grouping and decimal
// characters, sign characters and positions, currency text). Each turns the text
// into the plain form that zifmcma or zifmpct reads, on its own copy of the request.
#pragma once

#include "host/host_locale.h"

// The first argument must be null (the current locale). -1 when the item does not
// exist or holds no numeric conventions (zkifmny: items 113 and 114 only); else the
// reader's status, KES_NUM_SIGN_PLACE for a sign where the locale writes none.
int zkifnum(const char* locale_text, int item, host_numreq* request);
int zkifmny(const char* locale_text, int item, host_numreq* request);
int zkifpct(const char* locale_text, int item, host_numreq* request);
