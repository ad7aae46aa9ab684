// Helpers of the descriptive-table code.
#include "stats/tables_call.h"

#include <cstring>

#include "host/host_missing.h"
#include "host/host_services.h"
#include "records/kes_ctx.h"

int kes_tabcall(void* object, int method, int count, wob_attr* attrs) {
  int rc = wobmth(object, nullptr, method, count, attrs);
  if (rc < 0) {
    xprrlog(0, rc);
    xexit(rc, 0);
  }
  return rc;
}

wob_attr kes_attr_str(int id, const char* text) {
  return wob_str(id, text, static_cast<int>(std::strlen(text)));
}

wob_attr kes_attr_txt(int id, const char* text, int len) { return wob_text(id, vemtxt(text, len)); }

wob_attr kes_attr_msg(int id, int set, int number) { return wob_text(id, vemmsg(set, number)); }

void kes_fillcell(char* cell, int size, const char* text, int len) {
  std::memset(cell, ' ', static_cast<std::size_t>(size));
  if (text == nullptr) return;
  std::size_t n = len < 0 ? std::strlen(text) : static_cast<std::size_t>(len);
  if (n > static_cast<std::size_t>(size)) n = static_cast<std::size_t>(size);
  std::memcpy(cell, text, n);
}

double kes_tab_missing() { return host_missing_of_kind(HOST_MISS_STD); }
double kes_tab_blank() { return host_missing_of_kind(HOST_MISS_UNDERSCORE); }

int kes_trimlen(const char* text, int len) {
  while (len > 0 && (text[len - 1] == ' ' || text[len - 1] == '\0')) --len;
  return len;
}

void kes_heading_line(kes_ctx* ctx, int line, void* text) {
  wob_attr a[5];
  int n = 0;
  a[n++] = wob_attr{};  // left for the method's own use
  a[n++] = wob_int(WOB_A_LINE_NUMBER, line);
  if (line == 1) a[n++] = wob_last(WOB_A_FIRST_LINE, 1);
  a[n++] = wob_int(WOB_A_MINUS_ONE, -1);
  a[n++] = wob_text(WOB_A_HEADING_TEXT, text);
  kes_tabcall(ctx->objs.manager, WOB_M_HEADING, n, a);
}

void kes_heading_count(kes_ctx* ctx, int count) {
  wob_attr a[2] = {wob_attr{}, wob_int(WOB_A_LINE_COUNT, count)};
  kes_tabcall(ctx->objs.manager, WOB_M_HEADING, 2, a);
}
