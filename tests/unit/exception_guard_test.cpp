#include "common/exception_guard.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace zorvo {
namespace {

TEST(ExceptionGuard, AnswersTheFallbackAndNamesTheKindOfFailure) {
  GuardFailure seen = GuardFailure::kOther;
  auto fallback = [&](GuardFailure kind) {
    seen = kind;
    return -1;
  };
  EXPECT_EQ(Guarded([] { return 7; }, fallback), 7);
  EXPECT_EQ(Guarded([]() -> int { throw std::bad_alloc(); }, fallback), -1);
  EXPECT_EQ(seen, GuardFailure::kOutOfMemory);
  EXPECT_EQ(Guarded([]() -> int { throw std::runtime_error("x"); }, fallback), -1);
  EXPECT_EQ(seen, GuardFailure::kOther);
  // A report that throws in turn still does not let the exception out.
  EXPECT_EQ(Guarded([]() -> int { throw 1; }, [](GuardFailure) -> int { throw 2; }), 0);
}

}  // namespace
}  // namespace zorvo
