#pragma once
// Writing text into the XML files we write ourselves, as the value of a double-quoted attribute
// or as element text.

#include <string>
#include <string_view>

// '&', '<', '>' and '"' become entities; every other byte is kept as it is. For text that comes
// from our own data (the settings' version, the authoring tools' catalogue), where the files
// already written must come out byte for byte the same.
std::string EscapeXmlMarkup(std::string_view text);

// For text a player typed: as EscapeXmlMarkup, and '\'' becomes an entity, tabs and line breaks
// character references (so they read back the same); other control characters, which XML cannot
// hold at all, and bytes that are not well-formed UTF-8 become '?', since one such byte would make
// the whole file unreadable.
std::string EscapeXmlAttribute(std::string_view text);
