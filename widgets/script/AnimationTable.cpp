#include "widgets/script/AnimationTable.h"

#include "core/expr/MainThread.h"

AnimationTable& AnimationTable::Get() {
    static AnimationTable table;
    return table;
}

std::shared_ptr<const Animation> AnimationTable::Lookup(std::string_view name) {
    const bool mayInsert = IsMainThread();
    std::lock_guard<std::mutex> lock(mMutex);
    const auto it = mScripts.find(name);
    if (it != mScripts.end()) {
        return it->second;
    }
    auto empty = std::make_shared<const Animation>(std::string(name));
    if (mayInsert) {
        mScripts.emplace(std::string(name), empty);
    }
    return empty;
}

std::shared_ptr<const Animation> AnimationTable::Find(std::string_view name) const {
    std::lock_guard<std::mutex> lock(mMutex);
    const auto it = mScripts.find(name);
    return it == mScripts.end() ? nullptr : it->second;
}

bool AnimationTable::Contains(std::string_view name) const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mScripts.find(name) != mScripts.end();
}

void AnimationTable::Define(Animation animation) {
    auto record = std::make_shared<const Animation>(std::move(animation));
    std::lock_guard<std::mutex> lock(mMutex);
    mScripts.insert_or_assign(record->mName, std::move(record));
}

void AnimationTable::DefineAll(std::vector<Animation>&& animations) {
    std::vector<std::shared_ptr<const Animation>> records;
    records.reserve(animations.size());
    for (Animation& animation : animations) {
        records.push_back(std::make_shared<const Animation>(std::move(animation)));
    }
    animations.clear();
    std::lock_guard<std::mutex> lock(mMutex);
    for (auto& record : records) {
        mScripts.insert_or_assign(record->mName, std::move(record));
    }
}

size_t AnimationTable::Size() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mScripts.size();
}

void AnimationTable::Clear() {
    std::map<std::string, std::shared_ptr<const Animation>, std::less<>> old;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        old.swap(mScripts);
    }
    // The records are released outside the lock.
}

std::vector<std::string> AnimationTable::GetNames() const {
    std::lock_guard<std::mutex> lock(mMutex);
    std::vector<std::string> names;
    names.reserve(mScripts.size());
    for (const auto& entry : mScripts) {
        names.push_back(entry.first);
    }
    return names;
}
