#include "bench/heap_accounting.h"

#include <link.h>
#include <unwind.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace heap {
namespace {

// Every block carries a header just before the address handed out: its size,
// its owner, and how far the header's block starts before that address.
struct alignas(16) Header {
  std::uint64_t size;
  std::uint32_t owner;  // 0: plug-in side, 1: bridge
  std::uint32_t offset;
};
static_assert(sizeof(Header) == 16, "one header per block");

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

void* Allocate(std::size_t size, std::size_t alignment, bool nothrow) {
  const std::size_t offset = alignment <= sizeof(Header) ? sizeof(Header) : alignment;
  void* base = nullptr;
  if (offset == sizeof(Header)) {
    base = std::malloc(size + offset);
  } else {
    const std::size_t total = (size + offset + alignment - 1) / alignment * alignment;
    base = std::aligned_alloc(alignment, total);
  }
  if (!base) {
    if (nothrow) return nullptr;
    throw std::bad_alloc();
  }
  char* user = static_cast<char*>(base) + offset;
  Header* header = reinterpret_cast<Header*>(user) - 1;
  header->size = size;
  header->owner = OwnerOfNewBlock();
  header->offset = static_cast<std::uint32_t>(offset);
  const std::int64_t bytes = static_cast<std::int64_t>(size);
  const std::int64_t plugIn = header->owner == 0
                                  ? g_live[0].fetch_add(bytes, std::memory_order_relaxed) + bytes
                                  : g_live[0].load(std::memory_order_relaxed);
  const std::int64_t bridge = header->owner == 1
                                  ? g_live[1].fetch_add(bytes, std::memory_order_relaxed) + bytes
                                  : g_live[1].load(std::memory_order_relaxed);
  RaiseTo(g_plugInPeak, plugIn);
  RaiseTo(g_processPeak, plugIn + bridge);
  return user;
}

void Release(void* pointer) {
  if (!pointer) return;
  Header* header = static_cast<Header*>(pointer) - 1;
  g_live[header->owner].fetch_sub(static_cast<std::int64_t>(header->size),
                                  std::memory_order_relaxed);
  std::free(static_cast<char*>(pointer) - header->offset);
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

// The replaced global allocation functions.
void* operator new(std::size_t size) { return heap::Allocate(size, 0, false); }
void* operator new[](std::size_t size) { return heap::Allocate(size, 0, false); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return heap::Allocate(size, 0, true);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return heap::Allocate(size, 0, true);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  return heap::Allocate(size, static_cast<std::size_t>(alignment), false);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return heap::Allocate(size, static_cast<std::size_t>(alignment), false);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return heap::Allocate(size, static_cast<std::size_t>(alignment), true);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return heap::Allocate(size, static_cast<std::size_t>(alignment), true);
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
