#pragma once
// Finding images, sounds, music tracks, scripts and named constants by name. The image, sound and
// track tables belong to the asset manager and are filled by loader threads while the main thread
// looks names up, so each lookup takes that table's lock for the search only and never inserts.
// Names are exact and case-sensitive.

#include <string>

class Image;

// The image of that name, or null. Any thread. Not owned (the asset manager keeps it until exit).
Image* LookupAssetTableA(const std::string& name);
// The sound id of that name, or -1. Any thread.
int LookupAssetTableB(const std::string& name);
int LookupAssetTableB2(const std::string& name);
// The id of the music track of that name, or -1. Any thread. Installed as the XML readers'
// named-id lookup at start-up.
int LookupNamedId(const std::string& name);

// Whether the animation-script table has a script of that name. Never inserts (the start screens
// look names up while the loader thread fills the table). Any thread.
bool ContainsNamedEntry(const std::string& name);

// The named constant as an integer (bools 0 or 1, reals truncated, strings parsed). On the main
// thread a missing name is entered with an empty value and reads 0; on other threads nothing is
// inserted.
int LookupConstant(const std::string& name);
