// Windows of repeated class words, mapped from one shared file in memory.
#include "output/handle_space.h"

#include <sys/mman.h>
#include <unistd.h>

namespace plat::out {
namespace {

constexpr std::size_t kWord = sizeof(const wob_class*);

// Fills a writable mapping of bytes with the class word.
void fill(void* p, std::size_t bytes, const wob_class* cls) {
  auto* w = static_cast<const wob_class**>(p);
  for (std::size_t i = 0; i < bytes / kWord; ++i) w[i] = cls;
}

}  // namespace

handle_space::handle_space(const wob_class* cls, std::size_t window_bytes) : cls_(cls), bytes_(window_bytes) {
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  if (bytes_ < page) bytes_ = page;
  bytes_ -= bytes_ % page;
  fd_ = memfd_create("output-handles", MFD_CLOEXEC);
  if (fd_ < 0) return;
  void* p = MAP_FAILED;
  if (ftruncate(fd_, static_cast<off_t>(bytes_)) == 0)
    p = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
  if (p == MAP_FAILED) {
    close(fd_);
    fd_ = -1;
    return;
  }
  fill(p, bytes_, cls_);
  munmap(p, bytes_);
}

// The windows stay mapped for the life of the process: a handle must stay readable.
handle_space::~handle_space() {
  if (fd_ >= 0) close(fd_);
}

bool handle_space::new_window() {
  void* p = MAP_FAILED;
  if (fd_ >= 0) {
    p = mmap(nullptr, bytes_, PROT_READ, MAP_SHARED, fd_, 0);
  } else {
    // Without a shared file each window has pages of its own: still safe, only not free.
    p = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p != MAP_FAILED) {
      fill(p, bytes_, cls_);
      mprotect(p, bytes_, PROT_READ);
    }
  }
  if (p == MAP_FAILED) return false;
  // The finished window's pages leave this process's resident set; a late call through
  // one of its handles maps the shared page back in.
  if (cur_ != nullptr && fd_ >= 0) madvise(const_cast<const wob_class**>(cur_), bytes_, MADV_DONTNEED);
  cur_ = static_cast<const wob_class* const*>(p);
  used_ = 0;
  ++windows_;
  return true;
}

void* handle_space::next() {
  if ((cur_ == nullptr || used_ == bytes_ / kWord) && !new_window()) return nullptr;
  ++issued_;
  return const_cast<const wob_class**>(cur_ + used_++);
}

}  // namespace plat::out
