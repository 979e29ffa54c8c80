#include "services/json_reader.h"

#include <cstdint>
#include <ios>
#include <locale>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/platform.h"

namespace services::json {
namespace {

using Traits = std::char_traits<char>;
constexpr Traits::int_type kEnd = Traits::eof();

// U+FFFD, for a surrogate that has no partner.
constexpr std::uint32_t kReplacementCharacter = 0xFFFD;

bool IsSpace(Traits::int_type c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int HexDigitValue(Traits::int_type c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsHighSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Collects the \uXXXX escapes of one string: a high surrogate waits for the low
// one that follows it; a surrogate without a partner becomes U+FFFD.
class Utf16Escapes {
 public:
  explicit Utf16Escapes(std::string& text) : text_(text) {}

  void add(std::uint32_t unit) {
    if (pendingHigh_ != 0 && IsLowSurrogate(unit)) {
      platform::AppendUtf8(text_, 0x10000 + ((pendingHigh_ - 0xD800) << 10) + (unit - 0xDC00));
      pendingHigh_ = 0;
      return;
    }
    flush();
    if (IsHighSurrogate(unit)) {
      pendingHigh_ = unit;
    } else if (IsLowSurrogate(unit)) {
      platform::AppendUtf8(text_, kReplacementCharacter);
    } else {
      platform::AppendUtf8(text_, unit);
    }
  }

  // Called before anything else enters the string.
  void flush() {
    if (pendingHigh_ == 0) return;
    platform::AppendUtf8(text_, kReplacementCharacter);
    pendingHigh_ = 0;
  }

 private:
  std::string& text_;
  std::uint32_t pendingHigh_ = 0;
};

class Parser {
 public:
  Parser(std::istream& in, std::streambuf& buffer) : in_(in), buffer_(buffer) {}

  bool object(Object& object);

 private:
  Traits::int_type peek() { return buffer_.sgetc(); }
  Traits::int_type next() { return buffer_.sbumpc(); }
  void putBack(size_t count) {
    while (count-- > 0) buffer_.sungetc();
  }

  std::size_t skipSpace();
  std::size_t skipLineComment();
  bool match(std::string_view token);
  bool string(std::string& text);
  void unicodeEscape(Traits::int_type delimiter, Utf16Escapes& escapes);
  bool number(double& number);
  bool value(Value& value);
  bool array(Array& array);

  std::istream& in_;
  std::streambuf& buffer_;
  int depth_ = 0;
};

// Counts one level of nesting for as long as a container is being read.
class NestingLevel {
 public:
  explicit NestingLevel(int& depth) : depth_(depth) { ++depth_; }
  ~NestingLevel() { --depth_; }
  NestingLevel(const NestingLevel&) = delete;
  NestingLevel& operator=(const NestingLevel&) = delete;

 private:
  int& depth_;
};

// Returns the number of characters skipped.
std::size_t Parser::skipSpace() {
  std::size_t skipped = 0;
  for (; IsSpace(peek()); ++skipped) next();
  return skipped;
}

// At a "/": consumes "//" and the rest of the line up to, not including, the
// next carriage return or line feed, and returns the number of characters.
// Anything else is left where it was, and 0 returned.
std::size_t Parser::skipLineComment() {
  next();
  if (peek() != '/') {
    putBack(1);
    return 0;
  }
  next();
  std::size_t skipped = 2;
  for (Traits::int_type c = peek(); c != kEnd && c != '\r' && c != '\n'; c = peek(), ++skipped)
    next();
  return skipped;
}

// Skips white space, then matches the token. A line comment (and the white
// space after it) may stand before the token and even inside it. On a
// mismatch the stream goes back to where the token began.
bool Parser::match(std::string_view token) {
  skipSpace();
  std::size_t matched = 0;
  std::size_t consumed = 0;  // since the token's first character
  while (matched < token.size()) {
    if (peek() == Traits::to_int_type(token[matched])) {
      next();
      ++matched;
      ++consumed;
      continue;
    }
    const std::size_t comment = peek() == '/' ? skipLineComment() : 0;
    if (comment == 0) {
      putBack(consumed);
      return false;
    }
    const std::size_t skipped = comment + skipSpace();
    if (matched > 0) consumed += skipped;  // comments before the token stay skipped
  }
  return true;
}

// A double-quoted string (white space and comments skipped first) or a
// single-quoted one starting at the very next character.
bool Parser::string(std::string& text) {
  Traits::int_type delimiter;
  if (match("\"")) {
    delimiter = '"';
  } else if (peek() == '\'') {
    next();
    delimiter = '\'';
  } else {
    return false;
  }
  text.clear();
  Utf16Escapes escapes(text);
  for (;;) {
    const Traits::int_type c = next();
    if (c == kEnd) return false;
    if (c != '\\') {
      escapes.flush();
      if (c == delimiter) return true;
      text += Traits::to_char_type(c);
      continue;
    }
    const Traits::int_type escaped = next();
    if (escaped == kEnd) return false;
    if (escaped == 'u') {
      unicodeEscape(delimiter, escapes);
      continue;
    }
    escapes.flush();
    switch (escaped) {
      case '\\':
      case '/': text += Traits::to_char_type(escaped); break;
      case 'b': text += '\b'; break;
      case 'f': text += '\f'; break;
      case 'n': text += '\n'; break;
      case 'r': text += '\r'; break;
      case 't': text += '\t'; break;
      default:
        // The delimiter stands for itself; any other character keeps its backslash.
        if (escaped != delimiter) text += '\\';
        text += Traits::to_char_type(escaped);
        break;
    }
  }
}

// After "\u": up to four characters, read as one hexadecimal number (white
// space first, then the digits up to the first character that is not one).
// Without any digit the escape adds nothing. The closing delimiter is never
// taken as one of the four, so the string still ends there.
void Parser::unicodeEscape(Traits::int_type delimiter, Utf16Escapes& escapes) {
  std::uint32_t unit = 0;
  bool leading = true, reading = true, anyDigit = false;
  for (int taken = 0; taken < 4; ++taken) {
    const Traits::int_type c = peek();
    if (c == kEnd || c == delimiter) break;
    next();
    if (leading && IsSpace(c)) continue;
    leading = false;
    const int digit = reading ? HexDigitValue(c) : -1;
    reading = digit >= 0;
    if (!reading) continue;
    unit = unit * 16 + static_cast<std::uint32_t>(digit);
    anyDigit = true;
  }
  if (anyDigit) escapes.add(unit);
}

// The stream's own floating-point extraction in the classic locale, with the
// exception mask off; on failure the stream goes back to where the number began.
bool Parser::number(double& number) {
  skipSpace();
  in_.clear();
  const std::streampos start = in_.tellg();
  if (start == std::streampos(-1)) return false;
  const std::ios::iostate exceptions = in_.exceptions();
  in_.exceptions(std::ios::goodbit);
  const std::locale previous = in_.imbue(std::locale::classic());
  double extracted = 0.0;
  in_ >> extracted;
  const bool ok = !in_.fail();
  in_.clear();
  if (!ok) in_.seekg(start);
  in_.imbue(previous);
  in_.clear();
  in_.exceptions(exceptions);
  if (ok) number = extracted;
  return ok;
}

// The alternatives in order; the first that succeeds decides the kind.
bool Parser::value(Value& value) {
  std::string text;
  if (string(text)) {
    value.setString(std::move(text));
    return true;
  }
  double extracted = 0.0;
  if (number(extracted)) {
    value.setNumber(extracted);
    return true;
  }
  if (match("true")) {
    value.setBoolean(true);
    return true;
  }
  if (match("false")) {
    value.setBoolean(false);
    return true;
  }
  if (match("null")) {
    value.setNull();
    return true;
  }
  // An empty value before a comma is a null; the comma stays for the caller.
  if (peek() == ',') {
    value.setNull();
    return true;
  }
  if (peek() == '[') {
    if (array(value.setArray())) return true;
    value.reset();
  }
  if (object(value.setObject())) return true;
  value.reset();
  return false;
}

bool Parser::array(Array& array) {
  if (depth_ >= kMaxNestingDepth) return false;
  if (!match("[")) return false;
  NestingLevel level(depth_);
  if (match("]")) return true;
  do {
    auto element = std::make_unique<Value>();
    if (!value(*element)) break;
    array.append(std::move(element));
  } while (match(","));
  return match("]");
}

bool Parser::object(Object& object) {
  if (depth_ >= kMaxNestingDepth) return false;
  if (!match("{")) return false;
  NestingLevel level(depth_);
  if (match("}")) return true;
  for (;;) {
    std::string key;
    if (!string(key)) {
      // A trailing comma before the closing brace.
      if (peek() == '}') break;
      return false;
    }
    if (!match(":")) return false;
    auto member = std::make_unique<Value>();
    if (!value(*member)) break;
    object.set(key, std::move(member));
    if (!match(",")) break;
  }
  return match("}");
}

}  // namespace

bool ParseObject(std::istream& in, Object& object) {
  object.reset();
  std::streambuf* buffer = in.rdbuf();
  if (buffer == nullptr) return false;
  Parser parser(in, *buffer);
  return parser.object(object);
}

}  // namespace services::json
