#pragma once
// Text is narrow bytes; each byte stands for one Windows-1252 character.

#include <cstdint>

// The Unicode code point of a Windows-1252 byte; 0 for the five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D).
uint32_t Windows1252ToUnicode(unsigned char c);
