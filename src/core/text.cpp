#include "core/text.h"

#include "core/stream.h"

namespace quarry {

std::string ShortText(std::string text) {
  if (text.size() > kShortTextMax) text.resize(kShortTextMax);
  return text;
}

bool ReadLine(TStream& stream, std::string& line) {
  line.clear();
  uint8_t c;
  if (!stream.ReadByte(c)) return false;
  while (true) {
    if (c == 13) {
      uint8_t skipped;
      stream.ReadByte(skipped);  // the LF after the CR, unread whatever it is
      break;
    }
    if (line.size() < kShortTextMax) line.push_back(static_cast<char>(c));
    if (!stream.ReadByte(c)) break;
  }
  return true;
}

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::string UpperCase(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

namespace {
uint8_t DigitByte(char c) {
  auto b = static_cast<uint8_t>(c);
  return (b == ' ' || b == 0 || b == 255) ? static_cast<uint8_t>('0') : b;
}
}  // namespace

int32_t StrToNum(const std::string& text) {
  std::string t = text.substr(0, 10);
  uint32_t value = 0;
  if (!t.empty() && t[0] == '$') {
    for (size_t i = 1; i < t.size() && i <= 7; ++i) {
      uint8_t c = DigitByte(t[i]);
      uint32_t digit = c <= '9' ? static_cast<uint32_t>(c - '0') : static_cast<uint32_t>(c - 'A' + 10);
      value = value * 16 + digit;
    }
    return static_cast<int32_t>(value);
  }
  bool negative = !t.empty() && t[0] == '-';
  for (size_t i = negative ? 1 : 0; i < t.size(); ++i)
    value = value * 10 + static_cast<uint32_t>(DigitByte(t[i]) - '0');
  return static_cast<int32_t>(negative ? 0u - value : value);
}

uint32_t HexToNum(const std::string& text) {
  std::string t = UpperCase(text);
  uint32_t value = 0, weight = 1;
  for (size_t i = t.size(); i-- > 0;) {
    auto c = static_cast<uint8_t>(t[i]);
    uint32_t digit = c <= '9' ? static_cast<uint32_t>(c - '0') : static_cast<uint32_t>(c - 'A' + 10);
    value += digit * weight;
    weight *= 16;
  }
  return value;
}

}  // namespace quarry
