#include "standin/bridge/utf16.h"

#include <gtest/gtest.h>

namespace orvex_bridge {
namespace {

TEST(Utf16ToUtf8, EncodesEachLengthOfSequence) {
  EXPECT_EQ(Utf16ToUtf8(u"Abc"), "Abc");
  EXPECT_EQ(Utf16ToUtf8(u"\u00e9"), "\xC3\xA9");                        // two bytes
  EXPECT_EQ(Utf16ToUtf8(u"\u65e5\u672c"), "\xE6\x97\xA5\xE6\x9C\xAC");  // three bytes each
  EXPECT_EQ(Utf16ToUtf8(u"\uffff"), "\xEF\xBF\xBF");
  EXPECT_EQ(Utf16ToUtf8(u"\u07ff\u0800"), "\xDF\xBF\xE0\xA0\x80");  // the length boundaries
}

TEST(Utf16ToUtf8, CombinesSurrogatePairs) {
  EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(u"\U00010000"), "\xF0\x90\x80\x80");
  EXPECT_EQ(Utf16ToUtf8(u"\U0010FFFF"), "\xF4\x8F\xBF\xBF");
  EXPECT_EQ(Utf16ToUtf8(u"a\U0001F600b"),
            "a\xF0\x9F\x98\x80"
            "b");
}

TEST(Utf16ToUtf8, ReplacesLoneSurrogates) {
  const std::string replacement = "\xEF\xBF\xBD";
  const char16_t highAtEnd[] = {u'a', 0xD83D, 0};
  const char16_t highThenLetter[] = {0xD83D, u'b', 0};
  const char16_t lowAlone[] = {0xDE00, u'c', 0};
  const char16_t reversedPair[] = {0xDE00, 0xD83D, 0};
  const char16_t highHighLow[] = {0xD83D, 0xD83D, 0xDE00, 0};
  EXPECT_EQ(Utf16ToUtf8(highAtEnd), "a" + replacement);
  EXPECT_EQ(Utf16ToUtf8(highThenLetter), replacement + "b");
  EXPECT_EQ(Utf16ToUtf8(lowAlone), replacement + "c");
  EXPECT_EQ(Utf16ToUtf8(reversedPair), replacement + replacement);
  EXPECT_EQ(Utf16ToUtf8(highHighLow), replacement + "\xF0\x9F\x98\x80");
}

TEST(Utf16ToUtf8, NullAndEmptyGiveEmptyText) {
  EXPECT_EQ(Utf16ToUtf8(nullptr), "");
  EXPECT_EQ(Utf16ToUtf8(u""), "");
}

}  // namespace
}  // namespace orvex_bridge
