#include "bench/heap_accounting.h"

#include <link.h>
#include <unwind.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

// The C library's own allocator, under the names it keeps beside the ones
// replaced below.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* pointer);
}

namespace heap {
namespace {

// Every block carries a header just before the address handed out: its size,
// its owner, and how far the header's block starts before that address. The
// mark tells a block of ours from one the C library handed out before these
// functions took over (the dynamic loader's first blocks).
struct alignas(16) Header {
  std::uint64_t size;
  std::uint16_t mark;
  std::uint16_t owner;  // 0: plug-in side, 1: bridge
  std::uint32_t offset;
};
static_assert(sizeof(Header) == 16, "one header per block");
constexpr std::uint16_t kMark = 0xA10C;

std::atomic<std::int64_t> g_live[2];
std::atomic<std::int64_t> g_plugInPeak{0};
std::atomic<std::int64_t> g_processPeak{0};
std::atomic<bool> g_attributing{false};

// The executable segments of the bridge library.
struct Range {
  std::uintptr_t begin = 0, end = 0;
};
constexpr int kMaxRanges = 8;
Range g_ranges[kMaxRanges];
int g_rangeCount = 0;

void RaiseTo(std::atomic<std::int64_t>& peak, std::int64_t value) {
  std::int64_t seen = peak.load(std::memory_order_relaxed);
  while (value > seen && !peak.compare_exchange_weak(seen, value, std::memory_order_relaxed)) {
  }
}

_Unwind_Reason_Code FindBridgeFrame(_Unwind_Context* context, void* found) {
  const std::uintptr_t ip = _Unwind_GetIP(context);
  for (int i = 0; i < g_rangeCount; ++i) {
    if (ip >= g_ranges[i].begin && ip < g_ranges[i].end) {
      *static_cast<bool*>(found) = true;
      return _URC_END_OF_STACK;
    }
  }
  return _URC_NO_REASON;
}

std::uint32_t OwnerOfNewBlock() {
  if (!g_attributing.load(std::memory_order_relaxed)) return 0;
  thread_local bool walking = false;
  if (walking) return 0;
  walking = true;
  bool found = false;
  _Unwind_Backtrace(FindBridgeFrame, &found);
  walking = false;
  return found ? 1 : 0;
}

void Count(std::uint32_t owner, std::int64_t bytes) {
  const std::int64_t plugIn = owner == 0
                                  ? g_live[0].fetch_add(bytes, std::memory_order_relaxed) + bytes
                                  : g_live[0].load(std::memory_order_relaxed);
  const std::int64_t bridge = owner == 1
                                  ? g_live[1].fetch_add(bytes, std::memory_order_relaxed) + bytes
                                  : g_live[1].load(std::memory_order_relaxed);
  if (bytes > 0) {
    RaiseTo(g_plugInPeak, plugIn);
    RaiseTo(g_processPeak, plugIn + bridge);
  }
}

Header* HeaderOf(void* pointer) { return static_cast<Header*>(pointer) - 1; }

// A block of `size` bytes at a multiple of `alignment` (0: the C library's
// own, 16), header included; null when the C library refuses it.
void* Allocate(std::size_t size, std::size_t alignment, bool zeroed = false) {
  const std::size_t offset = alignment <= sizeof(Header) ? sizeof(Header) : alignment;
  if (size > SIZE_MAX - 2 * offset) return nullptr;
  void* base = nullptr;
  if (offset == sizeof(Header))
    base = zeroed ? __libc_calloc(1, size + offset) : __libc_malloc(size + offset);
  else if ((base = __libc_memalign(alignment, size + offset)) != nullptr && zeroed)
    std::memset(base, 0, size + offset);
  if (!base) return nullptr;
  char* user = static_cast<char*>(base) + offset;
  Header* header = HeaderOf(user);
  header->size = size;
  header->mark = kMark;
  header->owner = static_cast<std::uint16_t>(OwnerOfNewBlock());
  header->offset = static_cast<std::uint32_t>(offset);
  Count(header->owner, static_cast<std::int64_t>(size));
  return user;
}

bool Ours(void* pointer) { return HeaderOf(pointer)->mark == kMark; }

void Release(void* pointer) {
  if (!pointer) return;
  if (!Ours(pointer)) return __libc_free(pointer);
  Header* header = HeaderOf(pointer);
  Count(header->owner, -static_cast<std::int64_t>(header->size));
  header->mark = 0;
  __libc_free(static_cast<char*>(pointer) - header->offset);
}

void* Reallocate(void* pointer, std::size_t size) {
  if (!pointer) return Allocate(size, 0);
  if (!Ours(pointer)) return __libc_realloc(pointer, size);
  Header* header = HeaderOf(pointer);
  if (header->offset == sizeof(Header) && size <= SIZE_MAX - sizeof(Header)) {
    const Header kept = *header;
    void* base = __libc_realloc(header, size + sizeof(Header));
    if (!base) return nullptr;
    Header* moved = static_cast<Header*>(base);
    *moved = kept;
    moved->size = size;
    Count(kept.owner, static_cast<std::int64_t>(size) - static_cast<std::int64_t>(kept.size));
    return moved + 1;
  }
  void* fresh = Allocate(size, header->offset);
  if (!fresh) return nullptr;
  std::memcpy(fresh, pointer, header->size < size ? header->size : size);
  Release(pointer);
  return fresh;
}

void* New(std::size_t size, std::size_t alignment, bool nothrow) {
  void* pointer = Allocate(size, alignment);
  if (!pointer && !nothrow) throw std::bad_alloc();
  return pointer;
}

int CollectRanges(dl_phdr_info* info, std::size_t, void* wanted) {
  const char* name = info->dlpi_name ? info->dlpi_name : "";
  const char* suffix = static_cast<const char*>(wanted);
  const std::size_t length = std::strlen(name), suffixLength = std::strlen(suffix);
  if (length < suffixLength || std::strcmp(name + length - suffixLength, suffix) != 0) return 0;
  for (int i = 0; i < info->dlpi_phnum && g_rangeCount < kMaxRanges; ++i) {
    const ElfW(Phdr)& segment = info->dlpi_phdr[i];
    if (segment.p_type != PT_LOAD || !(segment.p_flags & PF_X)) continue;
    const std::uintptr_t begin = info->dlpi_addr + segment.p_vaddr;
    g_ranges[g_rangeCount++] = Range{begin, begin + segment.p_memsz};
  }
  return 1;
}

}  // namespace

Counts Now() {
  Counts counts;
  counts.plugInLive = g_live[0].load();
  counts.bridgeLive = g_live[1].load();
  counts.plugInPeak = g_plugInPeak.load();
  counts.processPeak = g_processPeak.load();
  return counts;
}

void ResetPeak() {
  const std::int64_t plugIn = g_live[0].load();
  g_plugInPeak.store(plugIn);
  g_processPeak.store(plugIn + g_live[1].load());
}

bool StartAttribution(const char* libraryFileName) {
  g_rangeCount = 0;
  dl_iterate_phdr(CollectRanges, const_cast<char*>(libraryFileName));
  if (g_rangeCount == 0) return false;
  g_attributing.store(true);
  return true;
}

void StopAttribution() { g_attributing.store(false); }

}  // namespace heap

// The replaced allocation functions of C (every library's, openNURBS's
// onmalloc included, which calls malloc) ...
extern "C" {
void* malloc(std::size_t size) { return heap::Allocate(size, 0); }
void* calloc(std::size_t count, std::size_t size) {
  std::size_t bytes = 0;
  if (__builtin_mul_overflow(count, size, &bytes)) return nullptr;
  return heap::Allocate(bytes, 0, true);
}
void* realloc(void* pointer, std::size_t size) { return heap::Reallocate(pointer, size); }
void free(void* pointer) { heap::Release(pointer); }
void* memalign(std::size_t alignment, std::size_t size) { return heap::Allocate(size, alignment); }
void* aligned_alloc(std::size_t alignment, std::size_t size) {
  return heap::Allocate(size, alignment);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
  if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
  void* pointer = heap::Allocate(size, alignment);
  if (!pointer) return ENOMEM;
  *out = pointer;
  return 0;
}
void* valloc(std::size_t size) { return heap::Allocate(size, 4096); }
void* pvalloc(std::size_t size) { return heap::Allocate((size + 4095) / 4096 * 4096, 4096); }
// The size asked for: a block may be used up to it (0 for a block from
// before these functions took over, whose size is not known here).
std::size_t malloc_usable_size(void* pointer) {
  return pointer && heap::Ours(pointer) ? heap::HeaderOf(pointer)->size : 0;
}
}

// ... and of C++.
void* operator new(std::size_t size) { return heap::New(size, 0, false); }
void* operator new[](std::size_t size) { return heap::New(size, 0, false); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return heap::New(size, 0, true);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return heap::New(size, 0, true);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  return heap::New(size, static_cast<std::size_t>(alignment), false);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return heap::New(size, static_cast<std::size_t>(alignment), false);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return heap::New(size, static_cast<std::size_t>(alignment), true);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return heap::New(size, static_cast<std::size_t>(alignment), true);
}
void operator delete(void* pointer) noexcept { heap::Release(pointer); }
void operator delete[](void* pointer) noexcept { heap::Release(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { heap::Release(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { heap::Release(pointer); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept { heap::Release(pointer); }
void operator delete[](void* pointer, const std::nothrow_t&) noexcept { heap::Release(pointer); }
void operator delete(void* pointer, std::align_val_t) noexcept { heap::Release(pointer); }
void operator delete[](void* pointer, std::align_val_t) noexcept { heap::Release(pointer); }
void operator delete(void* pointer, std::size_t, std::align_val_t) noexcept {
  heap::Release(pointer);
}
void operator delete[](void* pointer, std::size_t, std::align_val_t) noexcept {
  heap::Release(pointer);
}
void operator delete(void* pointer, std::align_val_t, const std::nothrow_t&) noexcept {
  heap::Release(pointer);
}
void operator delete[](void* pointer, std::align_val_t, const std::nothrow_t&) noexcept {
  heap::Release(pointer);
}
