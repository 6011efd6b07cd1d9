#include "repair/error_box_text.h"

#include <gtest/gtest.h>

#include "repair/messages.h"

namespace drelbin {
namespace {

TEST(ErrorBoxText, AppendsAFullStopOnlyAfterCharactersThatSortAfterIt) {
  const struct {
    AnsiString message;
    AnsiString shown;
  } cases[] = {
      {messages::BadDataType("DisplayIcon"), messages::BadDataType("DisplayIcon") + "."},
      {"Access denied", "Access denied."},
      {"Error 5", "Error 5."},
      {"Done.", "Done."},
      {"(code 5)", "(code 5)"},
      {"Stop!", "Stop!"},
      {"trailing blank ", "trailing blank "},
      {"line\n", "line\n"},
      {"a-", "a-"},
      {"/", "/."},  // 0x2F, the byte right after the full stop
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorBoxText(c.message), c.shown) << c.message;
}

}  // namespace
}  // namespace drelbin
