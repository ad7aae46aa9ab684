// Output-object calls of the destination routines: every result is tested, and a
// refused call is reported once in the log with its method and result.
#pragma once
#include "host/wob.h"

// wobmth on the object; a negative result logs note KES_MSG_OUTPUT_SYSTEM_REFUSED_GRAPH with the method and the
// result, and is returned.
int kes_dest_call(void* object, int method, int count, wob_attr* attrs);

// Upper-cases a destination's name in place (the output system's names are
// case-blind; the module compares them upper-cased).
void kes_dest_upcase(char* name, int len);
