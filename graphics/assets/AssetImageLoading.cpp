// The asset manager's default ways of making images: decoding catalogue files through the image
// readers, and cutting atlas pieces.

#include "core/files/PakInterfaceBase.h"
#include "graphics/ImageAtlasPiece.h"
#include "graphics/ImageSurface.h"
#include "graphics/assets/AssetManager.h"
#include "graphics/assets/ImageReader.h"

namespace {

bool HasExtension(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.rfind('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

}  // namespace

AssetManager::ImageLoader MakeDefaultAssetImageLoader() {
    return [](const AssetImageEntry& entry) -> std::shared_ptr<Image> {
        DecodedImage decoded;
        std::string path = entry.mPath;
        if (!HasExtension(path)) {
            // A path without an extension takes the first image kind that exists.
            for (const std::string& extension : GetImageExtensions()) {
                if (PakInterfaceBase::Get()->GetFileTime((path + extension).c_str(), nullptr)) {
                    path += extension;
                    break;
                }
            }
        }
        if (!HasExtension(path) || !ReadImageFile(path, &decoded)) {  // names the file itself
            return nullptr;
        }
        auto image = std::make_shared<ImageSurface>();
        image->SetPixels(decoded.mWidth, decoded.mHeight, std::move(decoded.mPixels));
        // Once uploaded, the picture lives in its texture; hit tests, copies and a lost device
        // decode the file again.
        image->SetPixelSource([path](int width, int height, std::vector<uint32_t>* pixels) {
            DecodedImage again;
            if (!ReadImageFile(path, &again) || again.mWidth != width || again.mHeight != height) {
                return false;
            }
            *pixels = std::move(again.mPixels);
            return true;
        });
        image->SetName(entry.mName);
        image->SetCells(entry.mCols, entry.mRows);
        image->SetFlags(static_cast<uint32_t>(entry.mFlags));
        return image;
    };
}

AssetManager::PieceMaker MakeDefaultAssetPieceMaker() {
    return [](const std::shared_ptr<Image>& atlas,
              const AssetPieceEntry& piece) -> std::shared_ptr<Image> {
        ImageSurface* page = atlas->GetBaseSurface();
        if (page == nullptr) {
            return nullptr;
        }
        // The rectangle is in the atlas image's own pixels; the atlas may itself be a piece.
        const Rect inAtlas(piece.mX, piece.mY, piece.mWidth, piece.mHeight);
        if (inAtlas.mX + inAtlas.mWidth > atlas->GetWidth() ||
            inAtlas.mY + inAtlas.mHeight > atlas->GetHeight()) {
            return nullptr;
        }
        const Point offset = atlas->GetBaseOffset();
        const Rect onPage(offset.mX + inAtlas.mX, offset.mY + inAtlas.mY, inAtlas.mWidth,
                          inAtlas.mHeight);
        auto image = std::make_shared<ImageAtlasPiece>(page, onPage, piece.mCols, piece.mRows);
        image->SetName(piece.mName);
        return image;
    };
}
