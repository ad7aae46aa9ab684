// Utility files of a step (xcopen, xcwrite, xcread, xcrewnd, xcseek): raw byte files
// in a temporary folder that is removed, with them, when the step ends.
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/host_routines.h"
#include "core/runtime.h"
#include "data/data_messages.h"
#include "data/dataset_internal.h"

namespace plat {
namespace {

struct ufile {
  std::string name;
  std::FILE* f = nullptr;
  bool writing = false;   // the last operation was a write
};

std::vector<ufile> files;
std::string folder;
bool cleanup_registered = false;

// A blank-padded or NUL-terminated text of at most 8 characters.
std::string field8(const char* s) {
  std::string r;
  if (s == nullptr) return r;
  for (int i = 0; i < 8 && s[i] != '\0'; ++i) r.push_back(s[i]);
  while (!r.empty() && r.back() == ' ') r.pop_back();
  return upper(r);
}

void close_all() {
  cleanup_registered = false;
  for (ufile& u : files)
    if (u.f != nullptr) std::fclose(u.f);
  files.clear();
  if (!folder.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  folder.clear();
}

ufile* file_of(int h) {
  if (h < 0 || h >= static_cast<int>(files.size()) || files[h].f == nullptr) return nullptr;
  return &files[h];
}

}  // namespace

// The folder of this step's utility files ("" when none was opened).
std::string utility_folder() { return folder; }

}  // namespace plat

using namespace plat;

extern "C" {

int plat_xcopen(const char* library, const char* name, const char* type, int) {
  std::string lib = field8(library), n = field8(name), t = field8(type);
  if (n.empty() || !valid_name(n)) {
    data_msg(datamsg::utility_open_failed, n.empty() ? "(blank)" : n.c_str(), "the name is not a valid member name");
    return -1;
  }
  if (lib != "WORK") {
    data_msg(datamsg::utility_open_failed, n.c_str(), ("utility files live in library WORK, not " + lib).c_str());
    return -1;
  }
  if (folder.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/kes-util-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data()) == nullptr) {
      data_msg(datamsg::utility_open_failed, n.c_str(), std::strerror(errno));
      return -1;
    }
    folder = buf.data();
  }
  if (!cleanup_registered) {
    cleanup_registered = true;
    at_step_end(close_all);
  }
  std::string path = folder + "/" + n + (t.empty() ? "" : "." + t);
  int h = -1;
  for (size_t i = 0; i < files.size(); ++i) {
    if (files[i].name == path) {
      if (files[i].f != nullptr) std::fclose(files[i].f);
      files[i].f = nullptr;
      h = static_cast<int>(i);
    }
  }
  std::FILE* f = std::fopen(path.c_str(), "w+b");
  if (f == nullptr) {
    data_msg(datamsg::utility_open_failed, n.c_str(), std::strerror(errno));
    return -1;
  }
  if (h < 0) {
    files.push_back(ufile());
    h = static_cast<int>(files.size() - 1);
  }
  files[h].name = path;
  files[h].f = f;
  files[h].writing = false;
  return h;
}

int plat_xcwrite(int h, const void* buffer, int length) {
  ufile* u = file_of(h);
  if (u == nullptr || length < 0 || (length > 0 && buffer == nullptr)) return 1;
  if (!u->writing) std::fseek(u->f, 0, SEEK_CUR);  // a read may not be followed directly by a write
  u->writing = true;
  if (std::fwrite(buffer, 1, static_cast<size_t>(length), u->f) != static_cast<size_t>(length)) {
    data_msg(datamsg::utility_io_failed, u->name.c_str(), std::strerror(errno));
    return 1;
  }
  return 0;
}

int plat_xcread(int h, void* buffer, int length) {
  ufile* u = file_of(h);
  if (u == nullptr || length < 0 || (length > 0 && buffer == nullptr)) return -1;
  if (u->writing) std::fflush(u->f);
  u->writing = false;
  size_t n = std::fread(buffer, 1, static_cast<size_t>(length), u->f);
  if (n < static_cast<size_t>(length) && std::ferror(u->f)) {
    data_msg(datamsg::utility_io_failed, u->name.c_str(), std::strerror(errno));
    return -1;
  }
  return static_cast<int>(n);
}

int plat_xcrewnd(int h) {
  ufile* u = file_of(h);
  if (u == nullptr) return 1;
  if (u->writing) std::fflush(u->f);
  u->writing = false;
  return std::fseek(u->f, 0, SEEK_SET) == 0 ? 0 : 1;
}

int plat_xcseek(int h, long offset) {
  ufile* u = file_of(h);
  if (u == nullptr || offset < 0) return 1;
  if (u->writing) std::fflush(u->f);
  u->writing = false;
  if (std::fseek(u->f, 0, SEEK_END) != 0) return 1;
  long size = std::ftell(u->f);
  if (offset > size) {
    std::fseek(u->f, 0, SEEK_SET);
    return 1;
  }
  return std::fseek(u->f, offset, SEEK_SET) == 0 ? 0 : 1;
}

}  // extern "C"
