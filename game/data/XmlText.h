#pragma once
// Writing player-supplied text into the XML files the game writes itself.

#include <string>
#include <string_view>

// The text made safe inside a double-quoted attribute: '&', '<', '>', '"' and '\'' become
// entities, tabs and line breaks character references (so they read back the same); other
// control characters, which XML cannot hold at all, and bytes that are not UTF-8 become '?',
// since one such byte would make the whole file unreadable.
std::string EscapeXmlAttribute(std::string_view text);
