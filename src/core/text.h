// Text helpers shared by every list reader. Texts the program keeps are at most
// 255 characters ("short text"); longer results are cut.
#pragma once

#include <cstdint>
#include <string>

namespace quarry {

class TStream;

constexpr size_t kShortTextMax = 255;

// Cuts a text to 255 characters.
std::string ShortText(std::string text);

// One line of a stream: bytes up to a CR; the CR ends the line and the byte
// after it (the LF) is skipped unread; the end of the stream ends a line too.
// At most 255 characters are kept. Returns false only when the stream was
// already at its end.
bool ReadLine(TStream& stream, std::string& line);

// Removes leading and trailing blanks (only ' ', not tabs).
std::string Trim(const std::string& text);

// Upper-cases the ASCII letters a to z only.
std::string UpperCase(std::string text);

// The program's number parser: every blank, byte 0 or byte 255 counts as the
// digit "0"; a leading "$" selects up to 7 upper-case hexadecimal digits;
// otherwise an optional "-" and decimal digits, at most 10 characters in all.
// Digits are not validated (a "digit" outside 0-9/A-F contributes its code
// minus the code of "0" or "A"-10, as the loop finds it).
int32_t StrToNum(const std::string& text);

// Upper-cases the text, then sums digit values from the right (base 16).
uint32_t HexToNum(const std::string& text);

}  // namespace quarry
