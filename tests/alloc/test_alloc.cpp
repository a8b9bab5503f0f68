// Each library's allocator keeps its own alignment, and each library's
// internal allocations bind to its own allocator even when another tolmalloc
// is visible in the process.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <set>

#include "testutil.h"
#include "tol/tolalloc.h"
#include "tol/tolfile_record.h"

namespace {

std::atomic<int> g_foreignCalls{0};

using AllocFn = void* (*)(uint32_t);
using FreeFn = void (*)(void*);

struct Allocator {
  AllocFn alloc;
  FreeFn free;
};

Allocator load(const char* path) {
  void* h = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  EXPECT_NE(h, nullptr) << dlerror();
  Allocator a{};
  if (!h) return a;
  a.alloc = reinterpret_cast<AllocFn>(dlsym(h, "tolmalloc"));
  a.free = reinterpret_cast<FreeFn>(dlsym(h, "tolfree"));
  return a;
}

// A block of the allocator with the given alignment: aligned, with the
// distance to the heap block's start (1..align) in the byte below it.
void expectBlock(const void* block, uintptr_t align) {
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % align, 0u);
  const int d = static_cast<const uint8_t*>(block)[-1];
  EXPECT_GE(d, 1);
  EXPECT_LE(d, static_cast<int>(align));
}

template <typename Fn>
Fn symbol(void* lib, const char* name) {
  void* p = dlsym(lib, name);
  EXPECT_NE(p, nullptr) << name;
  return reinterpret_cast<Fn>(p);
}

// Checks every block of a run of sizes for the alignment and for the stored
// distance byte; returns the set of distances seen.
std::set<int> checkBlocks(const Allocator& a, uintptr_t align) {
  std::set<int> distances;
  for (uint32_t size = 1; size < 3000; size += 37) {
    auto* p = static_cast<uint8_t*>(a.alloc(size));
    EXPECT_NE(p, nullptr);
    if (!p) continue;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % align, 0u) << "size " << size;
    int d = p[-1];
    EXPECT_GE(d, 1);
    EXPECT_LE(d, static_cast<int>(align));
    distances.insert(d);
    for (uint32_t i = 0; i < size; ++i) p[i] = static_cast<uint8_t>(i);  // writable to the end
    a.free(p);
  }
  return distances;
}

}  // namespace

// A definition in the program that would catch calls bound through the
// global symbol table.
extern "C" __attribute__((visibility("default"))) void* tolmalloc(uint32_t) {
  ++g_foreignCalls;
  return nullptr;
}
extern "C" __attribute__((visibility("default"))) void tolfree(void*) { ++g_foreignCalls; }

TEST(Allocators, EachLibraryKeepsItsAlignment) {
  Allocator util = load(TOLUTIL_SO);
  Allocator zurn = load(ZURNMAKE_SO);
  ASSERT_TRUE(util.alloc && util.free && zurn.alloc && zurn.free);
  EXPECT_NE(reinterpret_cast<void*>(util.alloc), reinterpret_cast<void*>(zurn.alloc));
  checkBlocks(util, 16);
  checkBlocks(zurn, 32);
  EXPECT_EQ(g_foreignCalls.load(), 0);
}

TEST(Allocators, ZeroAndAllOnesGiveNull) {
  for (const char* path : {TOLUTIL_SO, ZURNMAKE_SO}) {
    Allocator a = load(path);
    ASSERT_TRUE(a.alloc);
    EXPECT_EQ(a.alloc(0), nullptr);
    EXPECT_EQ(a.alloc(0xFFFFFFFFu), nullptr);
    a.free(nullptr);  // ignored
  }
  EXPECT_EQ(g_foreignCalls.load(), 0);
}

// The records and buffers of file handles made through tolutil's exported
// functions come from tolutil's own allocator, not from the program's.
TEST(Allocators, TolutilFileHandlesUseItsOwnAllocator) {
  void* lib = dlopen(TOLUTIL_SO, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  auto create = symbol<TOLFile* (*)(int32_t, const char*)>(lib, "TOLFileCreate");
  auto open = symbol<TOLFile* (*)(int32_t, const char*, int32_t)>(lib, "TOLFileOpen");
  auto put8 = symbol<uint32_t (*)(TOLFile*, uint32_t)>(lib, "TOLFilePut8");
  auto get8 = symbol<uint32_t (*)(TOLFile*)>(lib, "TOLFileGet8");
  auto close = symbol<void (*)(TOLFile*)>(lib, "TOLFileClose");
  ASSERT_TRUE(create && open && put8 && get8 && close);

  testutil::TempDir dir;
  const std::string name = dir.file("a.bin");
  TOLFile* f = create(4096, name.c_str());
  ASSERT_NE(f, nullptr) << "the library refused to create " << name;
  expectBlock(f, 16);
  put8(f, 42);
  expectBlock(f->buffer, 16);
  close(f);
  f = open(1000, name.c_str(), TOLFILE_READ_ONLY);
  expectBlock(f, 16);
  EXPECT_EQ(get8(f), 42u);
  expectBlock(f->buffer, 16);
  close(f);
  EXPECT_EQ(g_foreignCalls.load(), 0);
}
