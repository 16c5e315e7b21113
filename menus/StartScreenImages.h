#pragma once
// How a start screen finds the images it shows: from the asset tables, where the start-up loader
// puts them while the first screens already run. An image the loader has not reached yet is
// worth waiting for; one that cannot come (not in the catalogue, or the loader is done) is
// missing. Main thread.

#include <memory>
#include <string>

class Image;

enum class StartImage { kReady, kPending, kMissing };

// The state of the named image; image (may be null) gets it when ready.
StartImage FindStartImage(const std::string& name, std::shared_ptr<Image>* image);
