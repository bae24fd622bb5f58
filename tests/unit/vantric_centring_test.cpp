// Where Vantric's dialog goes: centred, then kept inside the work area.
#include <gtest/gtest.h>

#include "configtool/centring.h"

namespace zorvo::vantric {
namespace {

TEST(VantricCentringTest, CentresOverTheGivenAreaAndStaysInsideTheLimit) {
  const ScreenRect screen{0, 0, 1280, 1024};
  struct Case {
    const char* what;
    ScreenRect over;
    ScreenRect limit;
    ScreenPoint expected;
  };
  const Case cases[] = {
      {"over the work area", screen, screen, {440, 362}},
      {"work area below a bar at the top", {0, 40, 1280, 1024}, {0, 40, 1280, 1024}, {440, 382}},
      {"over an owner", {100, 100, 700, 500}, screen, {200, 150}},
      {"owner at the right and bottom edges", {1100, 900, 1280, 1024}, screen, {880, 724}},
      {"owner off the left and top", {-500, -400, 100, 100}, screen, {0, 0}},
      {"on a monitor left of the first", {-1280, 0, 0, 1024}, {-1280, 0, 0, 1024}, {-840, 362}},
      // Too large: the right and bottom edges give way to the left and top.
      {"larger than the work area", {0, 0, 300, 200}, {0, 0, 300, 200}, {0, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CentredPosition({0, 0, 400, 300}, c.over, c.limit), c.expected) << c.what;
  }
}

}  // namespace
}  // namespace zorvo::vantric
