// Stable radix sorts of records by a 64-bit unsigned `key` member, on up to a given
// number of threads. The records are cut into parts of a fixed size and every scatter
// gives each (digit, part) its place in digit-then-part order, which is the serial
// stable order; so the result is the same for any thread count (and the same as any
// stable sort by key).
//
// A large run is first scattered once by its 16 highest differing bits into buckets of
// about n / 2048 records (neighbouring bins grouped), each of which is then sorted by
// itself while it sits in the cache; a bucket that one crowded bin makes large is
// sorted by whole-array passes. Sorting by passes over the whole array from the start
// (lsd_sort_by_key) moves every record through memory six times.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "host/kes_parallel.h"

namespace kes {

// Unsigned key in the order of the doubles (numbers, not NaN): negative values
// flipped whole, the others with the sign bit set; -0 gets the key of 0.
inline std::uint64_t double_order_key(double v) {
  if (v == 0) v = 0;
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return (b >> 63) != 0 ? ~b : b | (std::uint64_t{1} << 63);
}

// The double whose key double_order_key gave.
inline double double_of_order_key(std::uint64_t k) {
  const std::uint64_t b = (k >> 63) != 0 ? k & ~(std::uint64_t{1} << 63) : ~k;
  double v;
  std::memcpy(&v, &b, sizeof v);
  return v;
}

namespace radix_detail {

// counts[k * nb + j], the records of part k in bucket j, become each part's first place
// in each bucket, bucket then part: the serial stable order.
inline void places_bucket_then_part(std::size_t* counts, std::size_t parts, std::size_t nb) {
  std::size_t place = 0;
  for (std::size_t j = 0; j < nb; ++j)
    for (std::size_t k = 0; k < parts; ++k) {
      const std::size_t here = counts[k * nb + j];
      counts[k * nb + j] = place;
      place += here;
    }
}

// Each part of grain records of from[0, n) to its places in `to` (see above); bucket(r)
// is the record's bucket.
template <class T, class Bucket>
void scatter_parts(int threads, const T* from, T* to, std::size_t n, std::size_t grain, std::size_t* places,
                   std::size_t nb, Bucket bucket) {
  parallel_parts(threads, part_count(n, grain), [&](std::size_t k) {
    std::size_t* p = &places[k * nb];
    const std::size_t end = std::min(n, (k + 1) * grain);
    for (std::size_t i = k * grain; i < end; ++i) to[p[bucket(from[i])]++] = from[i];
  });
}

}  // namespace radix_detail

// Sorts a[0, n) by key in passes of 11 bits over the whole array; tmp has room for n
// records. Digits every key shares are skipped. Throws std::bad_alloc only when the
// counts cannot be had (a unchanged).
template <class T>
void lsd_sort_by_key(T* a, T* tmp, std::size_t n, int threads) {
  constexpr int kBits = 11, kPasses = 6;
  constexpr std::size_t kBuckets = std::size_t{1} << kBits;
  constexpr std::size_t kGrain = std::size_t{1} << 16;
  if (n < 2) return;
  const std::size_t parts = part_count(n, kGrain);
  // counts[k * kBuckets + b]: records of part k whose current digit is b.
  std::vector<std::size_t> counts(parts * kBuckets);
  std::vector<std::size_t> whole(kPasses * kBuckets, 0);
  {
    // Every digit of every key at once, to learn which passes change nothing.
    std::vector<std::size_t> all(parts * kPasses * kBuckets, 0);
    parallel_parts(threads, parts, [&](std::size_t k) {
      std::size_t* c = &all[k * kPasses * kBuckets];
      const std::size_t end = std::min(n, (k + 1) * kGrain);
      for (std::size_t i = k * kGrain; i < end; ++i) {
        const std::uint64_t key = a[i].key;
        for (int d = 0; d < kPasses; ++d) ++c[d * kBuckets + ((key >> (kBits * d)) & (kBuckets - 1))];
      }
    });
    for (std::size_t k = 0; k < parts; ++k)
      for (std::size_t j = 0; j < kPasses * kBuckets; ++j) whole[j] += all[k * kPasses * kBuckets + j];
  }
  T* from = a;
  T* to = tmp;
  for (int d = 0; d < kPasses; ++d) {
    const std::uint64_t top = (from[0].key >> (kBits * d)) & (kBuckets - 1);
    if (whole[d * kBuckets + top] == n) continue;
    const int shift = kBits * d;
    auto digit = [shift](const T& r) { return static_cast<std::size_t>((r.key >> shift) & (kBuckets - 1)); };
    if (parts == 1) {  // the whole count is the one part's count in any order
      std::memcpy(counts.data(), &whole[d * kBuckets], kBuckets * sizeof(std::size_t));
    } else {
      parallel_parts(threads, parts, [&](std::size_t k) {
        std::size_t* c = &counts[k * kBuckets];
        std::fill(c, c + kBuckets, std::size_t{0});
        const std::size_t end = std::min(n, (k + 1) * kGrain);
        for (std::size_t i = k * kGrain; i < end; ++i) ++c[digit(from[i])];
      });
    }
    radix_detail::places_bucket_then_part(counts.data(), parts, kBuckets);
    radix_detail::scatter_parts(threads, from, to, n, kGrain, counts.data(), kBuckets, digit);
    std::swap(from, to);
  }
  if (from != a) {
    parallel_ranges(threads, n, kGrain * 16,
                    [&](std::size_t b, std::size_t e) { std::memcpy(a + b, from + b, (e - b) * sizeof(T)); });
  }
}


namespace radix_detail {

// Sorts the n records of src into dst on the calling thread, by bytes, skipping the
// bytes every key shares; src is scratch afterwards. For runs that fit in the cache.
template <class T>
void sort_run(T* src, T* dst, std::size_t n) {
  if (n == 0) return;
  std::size_t counts[8][256] = {};
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint64_t key = src[i].key;
    for (int d = 0; d < 8; ++d) ++counts[d][(key >> (8 * d)) & 255];
  }
  T* from = src;
  T* to = dst;
  for (int d = 0; d < 8; ++d) {
    std::size_t* c = counts[d];
    if (c[(from[0].key >> (8 * d)) & 255] == n) continue;
    std::size_t place = 0;
    for (std::size_t b = 0; b < 256; ++b) {
      const std::size_t here = c[b];
      c[b] = place;
      place += here;
    }
    for (std::size_t i = 0; i < n; ++i) to[c[(from[i].key >> (8 * d)) & 255]++] = from[i];
    std::swap(from, to);
  }
  if (from != dst) std::memcpy(dst, from, n * sizeof(T));
}

}  // namespace radix_detail

// Sorts a[0, n) by key; tmp has room for n records. Throws std::bad_alloc only when
// the counts cannot be had; a then holds its records still, though perhaps not in
// their first order: records of equal key are in their first order among themselves
// (every step is stable), so a stable sort finishes the work.
template <class T>
void radix_sort_by_key(T* a, T* tmp, std::size_t n, int threads) {
  constexpr std::size_t kSplitFrom = std::size_t{1} << 17;  // smaller: passes are cheap
  constexpr int kBinBits = 16;
  constexpr std::size_t kBins = std::size_t{1} << kBinBits;
  constexpr std::size_t kBucketsAbout = 2048;
  constexpr std::size_t kLargeRun = std::size_t{1} << 18;  // sorted by whole-array passes
  if (n < kSplitFrom) {
    lsd_sort_by_key(a, tmp, n, threads);
    return;
  }
  // Parts of at least 2^18 records, at most 64 of them (each part has its bin counts).
  const std::size_t kGrain = std::max(std::size_t{1} << 18, (n + 63) / 64);
  const std::size_t parts = part_count(n, kGrain);

  // The bits in which the keys differ (OR is the same in any order).
  std::vector<std::uint64_t> diff(parts, 0);
  const std::uint64_t first = a[0].key;
  parallel_parts(threads, parts, [&](std::size_t k) {
    std::uint64_t d = 0;
    const std::size_t end = std::min(n, (k + 1) * kGrain);
    for (std::size_t i = k * kGrain; i < end; ++i) d |= a[i].key ^ first;
    diff[k] = d;
  });
  std::uint64_t differ = 0;
  for (std::uint64_t d : diff) differ |= d;
  if (differ == 0) return;  // every key the same: already in order
  int high = 63;
  while ((differ >> high) == 0) --high;
  const int shift = high >= kBinBits - 1 ? high - (kBinBits - 1) : 0;
  auto bin = [shift](const T& r) { return static_cast<std::size_t>((r.key >> shift) & (kBins - 1)); };

  // Each part's bin counts; neighbouring bins grouped into buckets of about
  // n / kBucketsAbout records (a crowded bin is a bucket alone).
  std::vector<std::uint32_t> bins(parts * kBins, 0);
  parallel_parts(threads, parts, [&](std::size_t k) {
    std::uint32_t* c = &bins[k * kBins];
    const std::size_t end = std::min(n, (k + 1) * kGrain);
    for (std::size_t i = k * kGrain; i < end; ++i) ++c[bin(a[i])];
  });
  std::vector<std::uint32_t> bucket_of(kBins);
  std::vector<std::size_t> bucket_start;
  {
    const std::size_t target = (n + kBucketsAbout - 1) / kBucketsAbout;
    std::size_t filled = 0, placed = 0;
    for (std::size_t b = 0; b < kBins; ++b) {
      std::size_t here = 0;
      for (std::size_t k = 0; k < parts; ++k) here += bins[k * kBins + b];
      if (bucket_start.empty() || (here > 0 && filled > 0 && filled + here > target)) {
        bucket_start.push_back(placed);
        filled = 0;
      }
      bucket_of[b] = static_cast<std::uint32_t>(bucket_start.size() - 1);
      filled += here;
      placed += here;
    }
    bucket_start.push_back(n);
  }
  const std::size_t nb = bucket_start.size() - 1;

  // Each part's place in each bucket, bucket then part: the serial stable order.
  std::vector<std::size_t> place(parts * nb, 0);
  parallel_parts(threads, parts, [&](std::size_t k) {
    std::size_t* p = &place[k * nb];
    const std::uint32_t* c = &bins[k * kBins];
    for (std::size_t b = 0; b < kBins; ++b) p[bucket_of[b]] += c[b];
  });
  radix_detail::places_bucket_then_part(place.data(), parts, nb);
  std::vector<std::uint32_t>().swap(bins);  // not beside the scattered copy at the peak
  radix_detail::scatter_parts(threads, a, tmp, n, kGrain, place.data(), nb,
                              [&](const T& r) { return bucket_of[bin(r)]; });

  // Every bucket sorted back into its place in a.
  parallel_parts(threads, nb, [&](std::size_t j) {
    const std::size_t b = bucket_start[j], len = bucket_start[j + 1] - b;
    if (len <= kLargeRun) radix_detail::sort_run(tmp + b, a + b, len);
  });
  for (std::size_t j = 0; j < nb; ++j) {
    const std::size_t b = bucket_start[j], len = bucket_start[j + 1] - b;
    if (len <= kLargeRun) continue;
    try {
      lsd_sort_by_key(tmp + b, a + b, len, threads);
    } catch (const std::bad_alloc&) {
      // a keeps every record for the caller: this bucket and the large ones after it
      // are still only in tmp.
      for (std::size_t r = j; r < nb; ++r) {
        const std::size_t rb = bucket_start[r], rlen = bucket_start[r + 1] - rb;
        if (rlen > kLargeRun) std::memcpy(a + rb, tmp + rb, rlen * sizeof(T));
      }
      throw;
    }
    parallel_ranges(threads, len, kGrain,
                    [&](std::size_t s, std::size_t e) { std::memcpy(a + b + s, tmp + b + s, (e - s) * sizeof(T)); });
  }
}

}  // namespace kes
