#include "graphics/ImageLoading.h"

#include <cstdint>
#include <mutex>

#include "core/files/PakInterfaceBase.h"
#include "core/util/Log.h"
#include "graphics/ImageSurface.h"
#include "graphics/assets/ImageReader.h"

namespace {

std::mutex gFoldersLock;
std::vector<std::string> gFolders = {""};

bool HasExtension(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    size_t dot = path.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

bool FileExists(const std::string& path) {
    int64_t time = 0;
    return PakInterfaceBase::Get()->GetFileTime(path.c_str(), &time);
}

}  // namespace

void SetImageResourceFolders(const std::vector<std::string>& folders) {
    std::lock_guard<std::mutex> lock(gFoldersLock);
    gFolders = folders.empty() ? std::vector<std::string>{""} : folders;
}

std::vector<std::string> GetImageResourceFolders() {
    std::lock_guard<std::mutex> lock(gFoldersLock);
    return gFolders;
}

std::unique_ptr<ImageSurface> LoadImageSurface(const std::string& name, const std::string& path,
                                               uint32_t flags, int cols, int rows) {
    bool absolute = !path.empty() && (path[0] == '/' || path[0] == '\\');
    std::vector<std::string> folders =
        absolute ? std::vector<std::string>{""} : GetImageResourceFolders();
    std::vector<std::string> candidates;
    for (const std::string& folder : folders) {
        if (HasExtension(path)) {
            candidates.push_back(folder + path);
        } else {
            for (const std::string& ext : GetImageExtensions()) {
                candidates.push_back(folder + path + ext);
            }
        }
    }
    for (const std::string& candidate : candidates) {
        if (!FileExists(candidate)) {
            continue;
        }
        DecodedImage decoded;
        if (!ReadImageFile(candidate, &decoded)) {
            return nullptr;  // the warning names the broken file
        }
        auto surface = std::make_unique<ImageSurface>();
        surface->SetName(name);
        surface->SetFlags(flags);
        surface->SetPixels(decoded.mWidth, decoded.mHeight, std::move(decoded.mPixels));
        surface->SetCells(cols, rows);
        return surface;
    }
    LogWarning("Image '%s' not found (looked for '%s')", name.c_str(), path.c_str());
    return nullptr;
}

std::unique_ptr<ImageSurface> CopyImage(const Image* image) {
    if (image == nullptr) {
        return nullptr;
    }
    auto copy = std::make_unique<ImageSurface>();
    copy->SetName(image->GetName());
    copy->SetFlags(image->GetFlags());
    int w = image->GetWidth();
    int h = image->GetHeight();
    std::vector<uint32_t> pixels(size_t(w) * size_t(h));
    ImageSurface* base = image->GetBaseSurface();
    if (base != nullptr && base->HasPixelData()) {
        const std::vector<uint32_t>& src = base->GetPixelData();
        Point off = image->GetBaseOffset();
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                int sx = off.mX + x, sy = off.mY + y;
                if (sx >= 0 && sy >= 0 && sx < base->GetWidth() && sy < base->GetHeight()) {
                    pixels[size_t(y) * size_t(w) + size_t(x)] =
                        src[size_t(sy) * size_t(base->GetWidth()) + size_t(sx)];
                }
            }
        }
    }
    copy->SetPixels(w, h, std::move(pixels));
    copy->SetCells(image->GetCols(), image->GetRows());
    return copy;
}
