#include "widgets/script/AnimationCommand.h"

#include <mutex>
#include <set>

#include "core/util/StringUtil.h"

const std::string* InternFileName(const std::string& name) {
    // A handful of script files: their names are kept for the whole run, so commands hold a
    // pointer rather than a copy each.
    static std::mutex mutex;
    static std::set<std::string, std::less<>> names;
    std::lock_guard<std::mutex> lock(mutex);
    return &*names.insert(name).first;
}

const std::string* AnimationCommand::FindParam(std::string_view name) const {
    const auto it = mParams.find(name);
    return it == mParams.end() ? nullptr : &it->second;
}

std::string AnimationCommand::Where() const {
    if (mFile == nullptr) {
        return std::string();
    }
    return StrFormat(" on Line %d in File '%s'", mLine, mFile->c_str());
}
