// The device-graphics layout of one plot request. Its head is what the output
// destinations are prepared from: the caller fills the manager and root objects,
// zqidest fills the rest.
#pragma once
#include "host/host_anchor.h"
#include "records/kes_axis.h"

struct kes_layout {
  void* manager;        // the output manager object
  void* root;           // the root output object
  host_pool* destpool;  // the destination list's pool (made by zqidest)
  void* destlist;       // the destination list
  void* gopts;          // the host graphics options record of the first destination
  char device[8];       // its device name, blank-padded
  int device_len;
  double size[2];       // its two size values
  const char* descr;    // its description text
  int descr_len;
  int optword[3];       // its three option words
  kes_axis haxis;       // horizontal axis
  kes_axis vaxis;       // vertical axis
  // Data values to panel coordinates: x' = x * xscale + xoffset, likewise y.
  double xscale, xoffset, yscale, yoffset;
};
