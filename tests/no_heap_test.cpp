// The whole calculate path allocates nothing on the heap. Allocations are
// counted through operator new everywhere, and on glibc through malloc and
// its relatives as well (msvcrt's malloc cannot be replaced from outside, and
// under AddressSanitizer malloc is the sanitizer's own).
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "calc/form_controller.h"
#include "res/resource_ids.h"
#include "tests/memory_form.h"

namespace {

bool g_counting = false;
int g_allocations = 0;
// Keeps the compiler from eliding the allocations that prove the count works.
void *volatile g_sink;

void CountAllocation() {
    if (g_counting) {
        ++g_allocations;
    }
}

}  // namespace

void *operator new(std::size_t size) {
    CountAllocation();
    if (void *p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

void operator delete(void *p) noexcept {
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
extern "C" {
void *__libc_malloc(std::size_t);
void *__libc_calloc(std::size_t, std::size_t);
void *__libc_realloc(void *, std::size_t);

void *malloc(std::size_t size) {
    CountAllocation();
    return __libc_malloc(size);
}

void *calloc(std::size_t count, std::size_t size) {
    CountAllocation();
    return __libc_calloc(count, size);
}

void *realloc(void *p, std::size_t size) {
    CountAllocation();
    return __libc_realloc(p, size);
}
}
#endif

namespace {

int AllocationsWhile(void (*run)(MemoryForm &), MemoryForm &form) {
    g_allocations = 0;
    g_counting = true;
    run(form);
    g_counting = false;
    return g_allocations;
}

TEST(NoHeap, TheCountCatchesAnAllocation) {
    MemoryForm form;
    EXPECT_GT(AllocationsWhile(
                  [](MemoryForm &) {
                      g_sink = new int(1);
                      delete static_cast<int *>(g_sink);
                  },
                  form),
              0);
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
    EXPECT_GT(AllocationsWhile(
                  [](MemoryForm &) {
                      g_sink = std::malloc(16);
                      std::free(g_sink);
                  },
                  form),
              0);
#endif
}

TEST(NoHeap, StartUpAndCalculateAllocateNothing) {
    const wchar_t *const inputs[][2] = {
        {L"120", L"480"},    {L"１２０", L"４８０"}, {L"abc", L"480"}, {L"120", L"1e999"},
        {L"120", L"4.2e94"}, {L"1e-91", L"480"},     {L"120", L"0"},   {L"", L"480"},
        {L"-93.5", L"-960"}, {L"1e-999", L"1e308"},
    };
    static MemoryForm form;
    ResetMemoryForm(form);
    EXPECT_EQ(0, AllocationsWhile([](MemoryForm &f) { ApplyStartupDefaults(MemoryFormAccess(f)); },
                                  form));
    for (const auto &input : inputs) {
        TypeIntoField(form, IDC_TEMPO, input[0]);
        TypeIntoField(form, IDC_RESOLUTION, input[1]);
        EXPECT_EQ(0,
                  AllocationsWhile([](MemoryForm &f) { OnCalculate(MemoryFormAccess(f)); }, form))
            << "tempo " << testing::PrintToString(input[0]) << ", resolution "
            << testing::PrintToString(input[1]);
    }
}

}  // namespace
