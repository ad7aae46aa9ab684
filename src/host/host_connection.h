// The records through which the host connects to the loaded module: the image record
// that mcn_main returns, the program-connector list it points to, and the connector
// that names the procedure entry. The module defines them (static, read only by the
// host); the runner reads them. Pointers are native; field order is the host's.
#pragma once
#include <cstddef>
#include <cstdint>
#include "host/host_anchor.h"

#define KES_EXPORT __attribute__((visibility("default")))

extern "C" {

// Procedure entry named by a program connector: called once per procedure step,
// returns what xexit returned.
using mcn_entry_fn = int (*)();

// One program connector.
struct mcn_connector {
  std::uint32_t word0;        // 0xFFFF0000
  std::uint32_t word4;        // 0x400
  std::uint32_t word8;        // 0x400
  char entry_name[12];        // "qorqkest", NUL-padded
  mcn_entry_fn entry;         // the procedure entry
  std::uint32_t word28;       // 3
  std::uint32_t word32;       // 0x25D3
  std::uint32_t word36;       // 0x2051C472
  std::uint32_t word40;       // 15
};

// The image record returned by mcn_main.
struct mcn_image {
  char marker[24];                      // MCN_IMAGE_MARKER and two NUL bytes
  std::uint32_t magic;                  // MCN_IMAGE_MAGIC
  std::uint32_t word28;                 // 8
  char platform_version[6];             // 4 characters, NUL-padded
  char release[20];                     // NUL-padded
  char build_date[26];                  // "Mon D YYYY" style, NUL-padded
  const mcn_connector* const* pcns;     // connector list, ended by a null pointer
  const char* notice;                   // NUL-terminated notice line
  char level[4];                        // "001"
};

// The module's exported entry: keeps the anchor and pidb for later service calls
// and returns its image record. Called once per load.
KES_EXPORT const mcn_image* mcn_main(host_gcb* anchor, void* pidb);

}  // extern "C"

inline constexpr char MCN_IMAGE_MARKER[] = "QOR_Image_Information=";  // 22 characters
inline constexpr std::uint32_t MCN_IMAGE_MAGIC = 0xB0BDEBEDu;
inline constexpr char MCN_ENTRY_NAME[] = "qorqkest";

static_assert(sizeof(MCN_IMAGE_MARKER) - 1 == 22);
static_assert(offsetof(mcn_image, magic) == 24 && offsetof(mcn_image, word28) == 28);
static_assert(offsetof(mcn_image, platform_version) == 32 && offsetof(mcn_image, release) == 38);
static_assert(offsetof(mcn_image, build_date) == 58);
static_assert(offsetof(mcn_image, pcns) < offsetof(mcn_image, notice) &&
              offsetof(mcn_image, notice) < offsetof(mcn_image, level));
static_assert(offsetof(mcn_connector, entry_name) == 12 && offsetof(mcn_connector, entry) == 24);
