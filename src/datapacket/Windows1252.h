#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kalvo {

// The table files hold text as Windows-1252 bytes; the rest of the program holds UTF-8.
// The five byte values that Windows-1252 leaves undefined map to the C1 control characters
// of the same value, as the platform itself maps them, so every byte has a character.

char32_t windows1252ToUnicode(std::uint8_t byte);

// The Windows-1252 byte of a character, or -1 when the character set has none for it.
int unicodeToWindows1252(char32_t codePoint);

void appendUtf8(std::string& out, char32_t codePoint);

// Decodes one character from UTF-8 at text[pos], advancing pos. A byte that does not start
// a well-formed sequence is taken as a Windows-1252 byte, so no input is rejected.
char32_t nextUtf8Character(std::string_view text, std::size_t& pos);

// The first `characters` characters of a UTF-8 text.
std::string_view utf8Prefix(std::string_view text, std::size_t characters);

}  // namespace kalvo
