// Without BY variables the input data set is read as one BY group; what the log says
// of that group is then said of the data set, which the user named.
#pragma once
#include <cstring>

#include "host/host_data.h"
#include "host/host_services.h"
#include "records/kes_ctx.h"

// by_group when the step has BY variables, else data_set (two catalogue entries).
inline int kes_group_message(const kes_ctx* ctx, int by_group, int data_set) {
  return ctx->nbyvars > 0 ? by_group : data_set;
}

// The input data set's name, "LIB.MEMBER"; empty when the host cannot say.
struct kes_input_name {
  char text[42];
  explicit kes_input_name(const kes_ctx* ctx) {
    std::memset(text, 0, sizeof text);
    if (ctx->data == nullptr || xoinfo(ctx->data, HOST_DSI_NAME, text) != 0) text[0] = '\0';
    text[sizeof text - 1] = '\0';
  }
};
