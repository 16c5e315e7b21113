#pragma once
// Writing player-supplied text into the XML files the game writes itself: EscapeXmlAttribute.

#include "app/files/XmlEscape.h"
