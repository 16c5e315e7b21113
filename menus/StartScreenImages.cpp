#include "menus/StartScreenImages.h"

#include "app/QuorAppBase.h"
#include "graphics/assets/AssetManager.h"

StartImage FindStartImage(const std::string& name, std::shared_ptr<Image>* image) {
    std::shared_ptr<Image> found = AssetManager::Get().FindImageShared(name);
    if (found != nullptr) {
        if (image != nullptr) {
            *image = std::move(found);
        }
        return StartImage::kReady;
    }
    const bool loading = gApp != nullptr && gApp->IsStartupLoadingPending();
    return loading ? StartImage::kPending : StartImage::kMissing;
}
