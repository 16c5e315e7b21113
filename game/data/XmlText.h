#pragma once
// Writing player-supplied text into the XML files the game writes itself: EscapeXmlAttribute.

#include "core/files/XmlEscape.h"
