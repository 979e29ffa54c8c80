#include "services/json_reader.h"

#include <gtest/gtest.h>

#include <locale>
#include <sstream>
#include <string>
#include <vector>

namespace json = services::json;

namespace {

// Parses the text as one object; true when it was complete and well formed.
bool Parse(const std::string& text, json::Object& object) {
  std::istringstream in(text);
  return json::ParseObject(in, object);
}

std::string StringMember(const std::string& text, const std::string& key) {
  json::Object object;
  Parse(text, object);
  EXPECT_TRUE(object.has<json::String>(key)) << text;
  return object.has<json::String>(key) ? object.get<json::String>(key) : std::string();
}

// --- Kinds and lookups ---------------------------------------------------------------

TEST(JsonReaderKinds, KindCodesAreFixed) {
  EXPECT_EQ(0, static_cast<int>(json::Kind::Number));
  EXPECT_EQ(1, static_cast<int>(json::Kind::String));
  EXPECT_EQ(2, static_cast<int>(json::Kind::Boolean));
  EXPECT_EQ(3, static_cast<int>(json::Kind::Null));
  EXPECT_EQ(4, static_cast<int>(json::Kind::Array));
  EXPECT_EQ(5, static_cast<int>(json::Kind::Object));
  EXPECT_EQ(6, static_cast<int>(json::Kind::Invalid));
  json::Value fresh;
  EXPECT_EQ(json::Kind::Invalid, fresh.kind());
}

TEST(JsonReaderKinds, VersionMemberReadsAsString) {
  json::Object object;
  EXPECT_TRUE(Parse("{\"version\":\"1.2.3\"}", object));
  EXPECT_TRUE(object.has<json::String>("version"));
  EXPECT_EQ("1.2.3", object.get<json::String>("version"));
  EXPECT_FALSE(object.has<json::String>("Version"));
  EXPECT_FALSE(object.has<json::Number>("version"));
}

TEST(JsonReaderKinds, EveryKindIsStoredWithItsPayload) {
  json::Object object;
  ASSERT_TRUE(
      Parse(" { \"n\" : -1.5e2 , \"s\":\"x y\", \"t\":true, \"f\":false, \"z\":null,"
            " \"a\":[1, \"b\", [], {}], \"o\":{\"k\":2, \"e\":{}} }",
            object));
  EXPECT_EQ(std::vector<std::string>({"a", "f", "n", "o", "s", "t", "z"}), object.keys());
  EXPECT_EQ(-150.0, object.get<json::Number>("n"));
  EXPECT_EQ("x y", object.get<json::String>("s"));
  EXPECT_TRUE(object.get<json::Boolean>("t"));
  EXPECT_FALSE(object.get<json::Boolean>("f"));
  EXPECT_TRUE(object.has<json::Null>("z"));
  const json::Array& array = object.get<json::Array>("a");
  ASSERT_EQ(4u, array.size());
  EXPECT_EQ(1.0, array.at(0).get<json::Number>());
  EXPECT_EQ("b", array.at(1).get<json::String>());
  EXPECT_TRUE(array.at(2).get<json::Array>().empty());
  EXPECT_TRUE(array.at(3).get<json::Object>().empty());
  const json::Object& inner = object.get<json::Object>("o");
  EXPECT_EQ(2.0, inner.get<json::Number>("k"));
  EXPECT_TRUE(inner.get<json::Object>("e").empty());
  // Each lookup answers for its own kind only.
  EXPECT_FALSE(object.has<json::String>("n"));
  EXPECT_FALSE(object.has<json::Number>("s"));
  EXPECT_FALSE(object.has<json::Boolean>("z"));
  EXPECT_FALSE(object.has<json::Null>("f"));
  EXPECT_FALSE(object.has<json::Object>("a"));
  EXPECT_FALSE(object.has<json::Array>("o"));
}

TEST(JsonReaderKinds, KeysAreOrderedBytewise) {
  json::Object object;
  ASSERT_TRUE(Parse("{\"b\":1,\"\xC3\xA9\":2,\"a\":3,\"B\":4,\"\":5}", object));
  EXPECT_EQ(std::vector<std::string>({"", "B", "a", "b", "\xC3\xA9"}), object.keys());
  EXPECT_EQ(5.0, object.get<json::Number>(""));
}

TEST(JsonReaderKinds, ParseEmptiesTheObjectFirst) {
  json::Object object;
  ASSERT_TRUE(Parse("{\"old\":1}", object));
  EXPECT_TRUE(Parse("{\"new\":2}", object));
  EXPECT_EQ(std::vector<std::string>({"new"}), object.keys());
  EXPECT_FALSE(Parse("[1]", object));
  EXPECT_TRUE(object.empty());
}

TEST(JsonReaderKinds, EmptyObjectIsComplete) {
  json::Object object;
  EXPECT_TRUE(Parse("{}", object));
  EXPECT_TRUE(Parse("  {  }  ", object));
  EXPECT_TRUE(object.empty());
}

using JsonReaderMisuseDeathTest = ::testing::Test;

TEST_F(JsonReaderMisuseDeathTest, GetWithoutMemberReportsAndFails) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  json::Object object;
  ASSERT_TRUE(Parse("{\"version\":1.5}", object));
  EXPECT_DEATH(object.get<json::String>("version"),
               "^\\[JSONXX\\] expression 'has<T>\\(key\\)' failed at "
               "[^ ]*json_value\\.cpp:[0-9]+ -> ");
  EXPECT_DEATH(object.get<json::Number>("missing"),
               "^\\[JSONXX\\] expression 'has<T>\\(key\\)' failed at "
               "[^ ]*json_value\\.cpp:[0-9]+ -> ");
}

TEST_F(JsonReaderMisuseDeathTest, ValueOfAnotherKindReportsAndFails) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  json::Object object;
  ASSERT_TRUE(Parse("{\"list\":[\"text\"]}", object));
  const json::Value& element = object.get<json::Array>("list").at(0);
  EXPECT_DEATH(element.get<json::Number>(),
               "^\\[JSONXX\\] expression 'is<Number>\\(\\)' failed at "
               "[^ ]*json_value\\.cpp:[0-9]+ -> ");
}

// --- Lenient forms -------------------------------------------------------------------

TEST(JsonReaderLenient, SingleQuotesWorkLikeDoubleQuotes) {
  json::Object object;
  EXPECT_TRUE(Parse("{'version':'1.2.3'}", object));
  EXPECT_EQ("1.2.3", object.get<json::String>("version"));
  // Each quote closes only its own kind of string.
  EXPECT_TRUE(Parse("{'a':'say \"hi\"', \"b\":\"it's\"}", object));
  EXPECT_EQ("say \"hi\"", object.get<json::String>("a"));
  EXPECT_EQ("it's", object.get<json::String>("b"));
}

TEST(JsonReaderLenient, TrailingCommaBeforeClosingBrace) {
  json::Object object;
  EXPECT_TRUE(Parse("{\"a\":1,\"b\":\"x\",}", object));
  EXPECT_EQ(std::vector<std::string>({"a", "b"}), object.keys());
  EXPECT_TRUE(Parse("{\"a\":1 , \n }", object));
  EXPECT_EQ(1u, object.size());
  // Only before a closing brace: anything else there is an error.
  EXPECT_FALSE(Parse("{\"a\":1,]", object));
  EXPECT_EQ(1u, object.size());
}

TEST(JsonReaderLenient, EmptyValueBeforeCommaIsNull) {
  json::Object object;
  EXPECT_TRUE(Parse("{\"a\":,\"b\":\"after\"}", object));
  EXPECT_TRUE(object.has<json::Null>("a"));
  EXPECT_EQ("after", object.get<json::String>("b"));
  EXPECT_TRUE(Parse("{\"list\":[1,,2,]}", object));
  const json::Array& list = object.get<json::Array>("list");
  ASSERT_EQ(3u, list.size());
  EXPECT_EQ(1.0, list.at(0).get<json::Number>());
  EXPECT_EQ(json::Kind::Null, list.at(1).kind());
  EXPECT_EQ(2.0, list.at(2).get<json::Number>());
}

TEST(JsonReaderLenient, EmptyValueBeforeClosingBraceDropsTheMember) {
  json::Object object;
  EXPECT_TRUE(Parse("{\"a\":1,\"b\":}", object));
  EXPECT_EQ(std::vector<std::string>({"a"}), object.keys());
}

TEST(JsonReaderLenient, LineCommentsWhereverATokenIsExpected) {
  json::Object object;
  EXPECT_TRUE(
      Parse("// leading\n{ // after brace\n\"a\" // before colon\n: // before value\n"
            "1, // between members\r\n\"b\"://x\n'two' // before brace\n}",
            object));
  EXPECT_EQ(1.0, object.get<json::Number>("a"));
  EXPECT_EQ("two", object.get<json::String>("b"));
  EXPECT_TRUE(Parse("{\"c\":[//x\ntrue//y\n,//z\nnull]}", object));
  const json::Array& list = object.get<json::Array>("c");
  ASSERT_EQ(2u, list.size());
  EXPECT_TRUE(list.at(0).get<json::Boolean>());
  EXPECT_EQ(json::Kind::Null, list.at(1).kind());
}

TEST(JsonReaderLenient, LineCommentInsideAKeyword) {
  json::Object object;
  EXPECT_TRUE(Parse("{\"ok\":tr//x\n ue,\"version\":\"1.0.0\"}", object));
  EXPECT_TRUE(object.get<json::Boolean>("ok"));
  EXPECT_EQ("1.0.0", object.get<json::String>("version"));
  // A keyword that fails after a comment gives back all it read, comment
  // included: the value fails at "t", and the closing brace is not found.
  EXPECT_FALSE(Parse("{\"a\":t//c\n}", object));
  EXPECT_FALSE(Parse("{\"a\":fal//c\n}", object));
}

TEST(JsonReaderLenient, SlashWithoutSecondSlashIsAnError) {
  json::Object object;
  EXPECT_FALSE(Parse("{\"a\":1, /* no */ \"b\":2}", object));
  EXPECT_EQ(std::vector<std::string>({"a"}), object.keys());
  EXPECT_FALSE(Parse("{\"a\":/1}", object));
  EXPECT_TRUE(object.empty());
}

TEST(JsonReaderLenient, CommentInsideStringIsText) {
  EXPECT_EQ("http://host//path", StringMember("{\"u\":\"http://host//path\"}", "u"));
}

TEST(JsonReaderLenient, DuplicatedKeyKeepsTheLaterValue) {
  json::Object object;
  EXPECT_TRUE(Parse("{\"version\":\"1.0\",\"version\":[1],\"version\":\"2.0\"}", object));
  EXPECT_EQ(1u, object.size());
  EXPECT_EQ("2.0", object.get<json::String>("version"));
}

// --- Failures and partial results ----------------------------------------------------

TEST(JsonReaderFailures, NumericVersionIsNotAString) {
  json::Object object;
  EXPECT_TRUE(Parse("{\"version\":1.5}", object));
  EXPECT_FALSE(object.has<json::String>("version"));
  EXPECT_EQ(1.5, object.get<json::Number>("version"));
}

TEST(JsonReaderFailures, MissingCommaKeepsTheFirstMember) {
  json::Object object;
  EXPECT_FALSE(Parse("{\"version\":\"1.0.0\" \"other\":2}", object));
  EXPECT_EQ(std::vector<std::string>({"version"}), object.keys());
  EXPECT_EQ("1.0.0", object.get<json::String>("version"));
}

TEST(JsonReaderFailures, TopLevelArrayLeavesTheObjectEmpty) {
  json::Object object;
  EXPECT_FALSE(Parse("[{\"version\":\"1.0\"}]", object));
  EXPECT_TRUE(object.empty());
  EXPECT_FALSE(Parse("\"version\"", object));
  EXPECT_FALSE(Parse("", object));
  EXPECT_FALSE(Parse(" \n\t ", object));
  EXPECT_FALSE(Parse("// only a comment", object));
  EXPECT_TRUE(object.empty());
}

TEST(JsonReaderFailures, FailedNestedValueIsDropped) {
  json::Object object;
  EXPECT_FALSE(Parse("{\"a\":\"1\",\"b\":{\"c\":2,\"d\":", object));
  EXPECT_EQ(std::vector<std::string>({"a"}), object.keys());
  EXPECT_FALSE(Parse("{\"a\":\"1\",\"b\":[1,2", object));
  EXPECT_EQ(std::vector<std::string>({"a"}), object.keys());
}

TEST(JsonReaderFailures, KeysMustBeStrings) {
  json::Object object;
  EXPECT_FALSE(Parse("{version:\"1\"}", object));
  EXPECT_FALSE(Parse("{1:\"1\"}", object));
  EXPECT_FALSE(Parse("{\"a\" \"1\"}", object));
  EXPECT_TRUE(object.empty());
}

TEST(JsonReaderFailures, BytesAfterTheClosingBraceAreNotRead) {
  std::istringstream in("{\"version\":\"1.0\"}garbage{[");
  json::Object object;
  EXPECT_TRUE(json::ParseObject(in, object));
  EXPECT_EQ("1.0", object.get<json::String>("version"));
  std::string rest;
  std::getline(in, rest);
  EXPECT_EQ("garbage{[", rest);
}

// Every proper prefix of a reply fails; the version string, once complete, is
// read in full or not at all.
TEST(JsonReaderFailures, TruncatedInputAtEveryLength) {
  const std::string text =
      "{ \"version\" : \"1.0.0\", 'name':'caf\\u00e9 \\uD83D\\uDE00', \"n\": -12.5e1, "
      "\"list\": [true, false, null, , {\"k\": [1, {}]}], // note\n \"last\": \"x\" }";
  json::Object full;
  ASSERT_TRUE(Parse(text, full));
  ASSERT_EQ(std::vector<std::string>({"last", "list", "n", "name", "version"}), full.keys());
  const size_t versionEnd = text.find("\"1.0.0\"") + 7;
  for (size_t length = 0; length < text.size(); ++length) {
    json::Object object;
    EXPECT_FALSE(Parse(text.substr(0, length), object)) << length;
    if (length >= versionEnd) {
      ASSERT_TRUE(object.has<json::String>("version")) << length;
      EXPECT_EQ("1.0.0", object.get<json::String>("version"));
    } else {
      EXPECT_TRUE(object.empty()) << length;
    }
    for (const std::string& key : object.keys()) {
      ASSERT_TRUE(full.has<json::String>(key) || !object.has<json::String>(key)) << key;
      if (object.has<json::String>(key)) {
        EXPECT_EQ(full.get<json::String>(key), object.get<json::String>(key)) << length;
      }
    }
  }
}

// --- Nesting -------------------------------------------------------------------------

std::string NestedArrays(int levels) {
  // The outer object is one level; the arrays make up the rest.
  return "{\"a\":" + std::string(levels - 1, '[') + std::string(levels - 1, ']') + "}";
}

TEST(JsonReaderNesting, TwoHundredFiftySixLevelsAreRead) {
  json::Object object;
  EXPECT_TRUE(Parse(NestedArrays(json::kMaxNestingDepth), object));
  const json::Array* array = &object.get<json::Array>("a");
  int depth = 2;
  while (!array->empty()) {
    array = &array->at(0).get<json::Array>();
    ++depth;
  }
  EXPECT_EQ(json::kMaxNestingDepth, depth);
}

TEST(JsonReaderNesting, DeeperTextFailsTheParse) {
  json::Object object;
  EXPECT_FALSE(
      Parse("{\"keep\":\"me\"," + NestedArrays(json::kMaxNestingDepth + 1).substr(1), object));
  EXPECT_EQ(std::vector<std::string>({"keep"}), object.keys());
  std::string objects;
  for (int i = 0; i < json::kMaxNestingDepth; ++i) objects += "{\"o\":";
  objects += "1" + std::string(json::kMaxNestingDepth, '}');
  EXPECT_TRUE(Parse(objects, object));
  EXPECT_FALSE(Parse("{\"o\":" + objects + "}", object));
}

TEST(JsonReaderNesting, HostileDepthDoesNotExhaustTheStack) {
  json::Object object;
  EXPECT_FALSE(Parse("{\"a\":" + std::string(200000, '['), object));
  std::string objects;
  for (int i = 0; i < 100000; ++i) objects += "{'o':";
  EXPECT_FALSE(Parse(objects, object));
  EXPECT_TRUE(object.empty());
}

// --- Strings and escapes -------------------------------------------------------------

TEST(JsonReaderStrings, SimpleEscapes) {
  EXPECT_EQ(std::string("\\/\b\f\n\r\t\""), StringMember(R"({"s":"\\\/\b\f\n\r\t\""})", "s"));
  EXPECT_EQ("'", StringMember(R"({"s":'\''})", "s"));
  // Any other escaped character keeps its backslash, including the other quote.
  EXPECT_EQ("\\q\\'\\0", StringMember(R"({"s":"\q\'\0"})", "s"));
  EXPECT_EQ("\\\"", StringMember(R"({"s":'\"'})", "s"));
}

TEST(JsonReaderStrings, BytesAreCopiedAsRead) {
  const std::string text = std::string("{\"s\":\"a\0b\xE9\xC3\xA9\x7F\t\"}", 16);
  EXPECT_EQ(std::string("a\0b\xE9\xC3\xA9\x7F\t", 8), StringMember(text, "s"));
}

TEST(JsonReaderStrings, UnicodeEscapesBecomeUtf8) {
  EXPECT_EQ("A", StringMember(R"({"s":"\u0041"})", "s"));
  EXPECT_EQ("\xC3\xA9", StringMember(R"({"s":"\u00e9"})", "s"));
  EXPECT_EQ("\xC3\xA9", StringMember(R"({"s":"\u00E9"})", "s"));
  EXPECT_EQ("\xDF\xBF", StringMember(R"({"s":"\u07ff"})", "s"));
  EXPECT_EQ("\xE0\xA0\x80", StringMember(R"({"s":"\u0800"})", "s"));
  EXPECT_EQ("\xE4\xB8\xAD", StringMember(R"({"s":"\u4e2d"})", "s"));
  EXPECT_EQ("\xEF\xBF\xBF", StringMember(R"({"s":"\uFFFF"})", "s"));
  EXPECT_EQ(std::string("a\0b", 3), StringMember(R"({"s":"a\u0000b"})", "s"));
}

TEST(JsonReaderStrings, SurrogatePairsAreCombined) {
  EXPECT_EQ("\xF0\x9F\x98\x80", StringMember(R"({"s":"\uD83D\uDE00"})", "s"));
  EXPECT_EQ("\xF0\x90\x80\x80", StringMember(R"({"s":"\ud800\udc00"})", "s"));
  EXPECT_EQ("\xF4\x8F\xBF\xBF", StringMember(R"({"s":"\uDBFF\uDFFF"})", "s"));
}

TEST(JsonReaderStrings, UnpairedSurrogatesBecomeReplacementCharacters) {
  const std::string fffd = "\xEF\xBF\xBD";
  EXPECT_EQ(fffd + "x", StringMember(R"({"s":"\uD83Dx"})", "s"));
  EXPECT_EQ(fffd, StringMember(R"({"s":"\uD83D"})", "s"));
  EXPECT_EQ(fffd, StringMember(R"({"s":"\uDE00"})", "s"));
  EXPECT_EQ(fffd + "\xF0\x9F\x98\x80", StringMember(R"({"s":"\uD83D\uD83D\uDE00"})", "s"));
  EXPECT_EQ(fffd + "\n", StringMember(R"({"s":"\uD83D\n"})", "s"));
  EXPECT_EQ(fffd + "A", StringMember(R"({"s":"\uD83D\u0041"})", "s"));
}

TEST(JsonReaderStrings, ShortOrInvalidUnicodeEscapes) {
  // Four characters are taken and read as one number: its leading digits.
  EXPECT_EQ("\x12x", StringMember(R"({"s":"\u12G!x"})", "s"));
  EXPECT_EQ("Ax", StringMember(R"({"s":"\u 41 x"})", "s"));
  EXPECT_EQ(
      "\x01"
      "23",
      StringMember(R"({"s":"\u000123"})", "s"));
  // No digit among them: the escape adds nothing.
  EXPECT_EQ("x", StringMember(R"({"s":"\uZZZZx"})", "s"));
  EXPECT_EQ("", StringMember(R"({"s":'\u-x'})", "s"));
  // The closing delimiter ends the four early, and the string with them.
  EXPECT_EQ("\x12", StringMember(R"({"s":"\u12G"})", "s"));
  EXPECT_EQ("\x01", StringMember(R"({"s":"\u1","t":"2"})", "s"));
  EXPECT_EQ("", StringMember(R"({"s":"\u"})", "s"));
}

TEST(JsonReaderStrings, UnterminatedStringFails) {
  json::Object object;
  EXPECT_FALSE(Parse("{\"a\":\"1\",\"b\":\"open", object));
  EXPECT_EQ(std::vector<std::string>({"a"}), object.keys());
  EXPECT_FALSE(Parse("{\"a\":\"ends in escape\\", object));
  EXPECT_FALSE(Parse("{\"a\":'mixed\"}", object));
  EXPECT_TRUE(object.empty());
}

// --- Numbers -------------------------------------------------------------------------

TEST(JsonReaderNumbers, StreamExtraction) {
  json::Object object;
  EXPECT_TRUE(Parse("{\"a\":0,\"b\":-0.25,\"c\":2.5e3,\"d\":+7,\"e\":1E-2,\"f\":  12  }", object));
  EXPECT_EQ(0.0, object.get<json::Number>("a"));
  EXPECT_EQ(-0.25, object.get<json::Number>("b"));
  EXPECT_EQ(2500.0, object.get<json::Number>("c"));
  EXPECT_EQ(7.0, object.get<json::Number>("d"));
  EXPECT_EQ(0.01, object.get<json::Number>("e"));
  EXPECT_EQ(12.0, object.get<json::Number>("f"));
}

TEST(JsonReaderNumbers, UnquotedVersionTextIsAnError) {
  json::Object object;
  EXPECT_FALSE(Parse("{\"version\":1.0.0}", object));
  EXPECT_EQ(1.0, object.get<json::Number>("version"));
  EXPECT_FALSE(Parse("{\"a\":1e}", object));
  EXPECT_TRUE(object.empty());
  EXPECT_FALSE(Parse("{\"a\":-}", object));
  EXPECT_FALSE(Parse("{\"a\":NaN}", object));
  EXPECT_FALSE(Parse("{\"a\":tru}", object));
  EXPECT_TRUE(object.empty());
}

TEST(JsonReaderNumbers, HugeNumbersFail) {
  json::Object object;
  EXPECT_TRUE(Parse("{\"a\":1e308}", object));
  EXPECT_EQ(1e308, object.get<json::Number>("a"));
  EXPECT_FALSE(Parse("{\"a\":1e309}", object));
  EXPECT_TRUE(object.empty());
  EXPECT_FALSE(Parse("{\"a\":-1e99999}", object));
  EXPECT_FALSE(Parse("{\"a\":1" + std::string(400, '0') + "}", object));
  EXPECT_TRUE(object.empty());
  // Many digits that stay in range are fine.
  EXPECT_TRUE(Parse("{\"a\":0." + std::string(5000, '0') + "5e5000}", object));
  EXPECT_DOUBLE_EQ(0.5, object.get<json::Number>("a"));
}

// A locale whose decimal separator is a comma.
struct CommaDecimal : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

TEST(JsonReaderNumbers, ClassicLocaleWhateverTheStreamHolds) {
  std::istringstream in("{\"a\":1.5,\"b\":1234}");
  const std::locale comma(std::locale::classic(), new CommaDecimal);
  in.imbue(comma);
  json::Object object;
  EXPECT_TRUE(json::ParseObject(in, object));
  EXPECT_EQ(1.5, object.get<json::Number>("a"));
  EXPECT_EQ(1234.0, object.get<json::Number>("b"));
  EXPECT_TRUE(in.getloc() == comma);
}

TEST(JsonReaderNumbers, ExceptionMaskIsRestored) {
  std::istringstream in("{\"a\":true,\"b\":'x',\"c\":[null]}");
  in.exceptions(std::ios::failbit | std::ios::badbit);
  json::Object object;
  EXPECT_NO_THROW(EXPECT_TRUE(json::ParseObject(in, object)));
  EXPECT_EQ(std::ios::failbit | std::ios::badbit, in.exceptions());
  EXPECT_TRUE(object.get<json::Boolean>("a"));
  EXPECT_EQ("x", object.get<json::String>("b"));
}

TEST(JsonReaderNumbers, NumberAtEndOfInput) {
  std::istringstream in("{\"a\":12");
  json::Object object;
  EXPECT_FALSE(json::ParseObject(in, object));
  EXPECT_EQ(12.0, object.get<json::Number>("a"));
}

}  // namespace
