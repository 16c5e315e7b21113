#pragma once
// Loading image files into surfaces and copying images: the logic behind the application's
// image-loading operations, kept here so the graphics layer needs nothing above it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Image;
class ImageSurface;

// The folders searched, in order, for images named by a relative path (each ending in '/', or
// empty for the working folder). Default: the working folder only. Set at start-up.
void SetImageResourceFolders(const std::vector<std::string>& folders);
std::vector<std::string> GetImageResourceFolders();

// Loads the image at path (with or without its extension; without one, ".png", ".jpg", ".jpeg",
// ".gif", ".tga", ".j2k" and ".jp2" are tried) from the first resource folder that has it, as a
// surface named name with the given image flags and cols x rows cells. Null, with a warning naming
// the file, when no folder has a readable image. Any thread: no GL call is made.
std::unique_ptr<ImageSurface> LoadImageSurface(const std::string& name, const std::string& path,
                                               uint32_t flags = 0, int cols = 1, int rows = 1);

// A new surface holding a copy of the image's pixels, name, flags and cells. Null for null.
std::unique_ptr<ImageSurface> CopyImage(const Image* image);
