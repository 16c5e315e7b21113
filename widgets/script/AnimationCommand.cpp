#include "widgets/script/AnimationCommand.h"

const std::string* AnimationCommand::FindParam(std::string_view name) const {
    const auto it = mParams.find(name);
    return it == mParams.end() ? nullptr : &it->second;
}
