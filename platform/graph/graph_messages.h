// Catalogue entries of the stand-in's graphics device (platform/catalogue/device_graphs.msg).
#pragma once
#include "kes_msg_names.h"

namespace plat::graph {

constexpr int kGraphSet = KES_SET_HOST_GRAPH;
constexpr int kUnknownColour = 1;  // {s} name
constexpr int kGraphWritten = 2;   // {s} description, {s} file
constexpr int kGraphFileError = 3; // {s} file, {s} reason
constexpr int kNoAnnotate = 4;
constexpr int kNoSegment = 5;      // {s} service
constexpr int kGraphNotDrawn = 6;  // {s} label, {s} reason
constexpr int kInsetRowsLeftOut = 12;  // {s} label, {d} rows left out, {d} rows of the box
constexpr int kHrefsOutsideAxis = 13;  // {s} label, {d} values
constexpr int kVrefsOutsideAxis = 14;  // {s} label, {d} values
constexpr int kInsetRowsLeftOutOfMargin = 15;  // {s} label, {d} rows left out, {d} rows of the box
constexpr int kBarValuesLeftOut = 21;  // {s} label, {d} values left out, {d} values
constexpr int kInsetOverEarlierInset = 2250;  // {s} label
constexpr int kInsetFewerColumns = 2450;  // {s} label, {d} pairs across, {d} NCOLS=

}  // namespace plat::graph
