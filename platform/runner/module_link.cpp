// dlopen, mcn_main, and the checks of the records the module hands back.
#include "runner/module_link.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <map>

#include "runner/host_table.h"

namespace plat {
namespace {

// What the host hands the module as its second connection record: the load's handle.
struct host_pidb {
  void* dl_handle;
};

struct loaded {
  void* handle = nullptr;
  host_pidb pidb{};
  const mcn_image* image = nullptr;
};

std::map<std::string, loaded>& loads() {
  static std::map<std::string, loaded> m;
  return m;
}

constexpr int max_connectors = 64;  // a list longer than this has lost its terminator

}  // namespace

bool find_entry(const mcn_image* image, mcn_entry_fn* entry, std::string* error) {
  static const char marker[24] = "QOR_Image_Information=";  // and two NUL bytes
  if (!image) {
    *error = "mcn_main returned no image record";
    return false;
  }
  if (std::memcmp(image->marker, marker, sizeof marker) != 0) {
    *error = "the image record does not begin with the marker text QOR_Image_Information=";
    return false;
  }
  if (image->magic != MCN_IMAGE_MAGIC) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "the image record's magic word is 0x%08X, not 0x%08X", image->magic, MCN_IMAGE_MAGIC);
    *error = buf;
    return false;
  }
  if (!image->pcns) {
    *error = "the image record has no program-connector list";
    return false;
  }
  for (int i = 0; i < max_connectors; ++i) {
    const mcn_connector* c = image->pcns[i];
    if (!c) {
      *error = "no program connector names the entry qorqkest";
      return false;
    }
    if (std::strncmp(c->entry_name, MCN_ENTRY_NAME, sizeof c->entry_name) == 0) {
      if (!c->entry) {
        *error = "the program connector qorqkest has no entry routine";
        return false;
      }
      *entry = c->entry;
      return true;
    }
  }
  *error = "the program-connector list has no end";
  return false;
}

bool link_module(const std::string& path, module_link* out, std::string* error) {
  std::error_code ec;
  std::string key = std::filesystem::weakly_canonical(path, ec).string();
  if (ec || key.empty()) key = path;
  loaded& l = loads()[key];
  if (!l.handle) {
    if (!std::filesystem::exists(path, ec)) {
      loads().erase(key);
      *error = "module '" + path + "' does not exist";
      return false;
    }
    // A path with no slash would make dlopen search the library path instead.
    std::string open_path = path.find('/') == std::string::npos ? "./" + path : path;
    void* h = dlopen(open_path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
      const char* why = dlerror();
      loads().erase(key);
      *error = "module '" + path + "' cannot be loaded: " + (why ? why : "unknown reason");
      return false;
    }
    using main_fn = const mcn_image* (*)(host_gcb*, void*);
    auto mcn = reinterpret_cast<main_fn>(dlsym(h, "mcn_main"));
    if (!mcn) {
      dlclose(h);
      loads().erase(key);
      *error = "module '" + path + "' has no entry mcn_main";
      return false;
    }
    l.handle = h;
    l.pidb.dl_handle = h;
    l.image = mcn(anchor(), &l.pidb);
  }
  out->path = path;
  out->image = l.image;
  if (!find_entry(l.image, &out->entry, error)) {
    *error = "module '" + path + "': " + *error;
    return false;
  }
  return true;
}

std::string default_module_path() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "libkestravine.so";
  buf[n] = '\0';
  return (std::filesystem::path(buf).parent_path() / "libkestravine.so").string();
}

}  // namespace plat
