#include <xmp.h>

#include <algorithm>

#include "audio/MusicSources.h"
#include "core/util/StringUtil.h"

namespace {

// A tracker module rendered by libxmp at the mixer's rate (within the range libxmp renders).
class ModuleMusicSource : public MusicSource {
public:
    ModuleMusicSource() : mContext(xmp_create_context()) {}
    ~ModuleMusicSource() override {
        if (mContext) {
            if (mStarted) {
                xmp_end_player(mContext);
            }
            if (mLoaded) {
                xmp_release_module(mContext);
            }
            xmp_free_context(mContext);
        }
    }

    bool Open(const std::string& bytes, int outputRate, std::string* why) {
        if (!mContext || xmp_load_module_from_memory(mContext, bytes.data(),
                                                     static_cast<long>(bytes.size())) != 0) {
            *why = "not a module libxmp can read";
            return false;
        }
        mLoaded = true;
        mRate = std::clamp(outputRate, 8000, 48000);
        if (xmp_start_player(mContext, mRate, 0) != 0) {
            *why = "the module player could not start";
            return false;
        }
        mStarted = true;
        xmp_module_info info;
        xmp_get_module_info(mContext, &info);
        mOrders = info.mod ? info.mod->len : 0;
        return true;
    }

    int GetRate() const override { return mRate; }
    int BytesPerFrame() const override { return 0; }

    int Decode(int16_t* stereo, int maxFrames, bool loop) override {
        // Loop count 0 plays on through the module's own loop; 1 ends after the first pass.
        const int result = xmp_play_buffer(mContext, stereo, maxFrames * 4, loop ? 0 : 1);
        return result == 0 ? maxFrames : 0;
    }

    bool Seek(int64_t order) override {
        if (order < 0 || order >= mOrders) {
            return false;
        }
        // A fresh player also clears the pass count that ends a module played once.
        xmp_end_player(mContext);
        mStarted = xmp_start_player(mContext, mRate, 0) == 0;
        if (mStarted && order > 0) {
            xmp_set_position(mContext, static_cast<int>(order));
        }
        return mStarted;
    }

private:
    xmp_context mContext;
    bool mLoaded = false;
    bool mStarted = false;
    int mRate = 44100;
    int mOrders = 0;
};

}  // namespace

std::unique_ptr<MusicSource> CreateModuleMusicSource(const std::string& bytes,
                                                     const std::string& name, int outputRate,
                                                     std::string* error) {
    auto source = std::make_unique<ModuleMusicSource>();
    std::string why;
    if (!source->Open(bytes, outputRate, &why)) {
        *error = StrFormat("Music file '%s': %s", name.c_str(), why.c_str());
        return nullptr;
    }
    return source;
}
