#include "widgets/script/AnimationStats.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "core/util/Log.h"
#include "core/util/StringUtil.h"
#include "widgets/script/AnimationTable.h"

namespace {

bool IsContainer(const std::string& name) {
    return name == "animations" || name == "include" || name == "checksum";
}

}  // namespace

AnimationStats::AnimationStats(bool counting, AnimationTable* table,
                               std::function<void()> onAnimationRead)
    : mCounting(counting),
      mTable(table ? table : &AnimationTable::Get()),
      mOnAnimationRead(std::move(onAnimationRead)) {}

AnimationStats::~AnimationStats() = default;

std::string AnimationStats::FileKey(const std::string& name) {
    // The file layer falls back to case-insensitive names and accepts backslashes, so two
    // spellings of one file must count as one.
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    return StringToLower(std::filesystem::path(path).lexically_normal().generic_string());
}

void AnimationStats::QueueFile(const std::string& name) {
    std::string key = FileKey(name);
    if (std::find(mQueueKeys.begin(), mQueueKeys.end(), key) != mQueueKeys.end()) {
        return;
    }
    mQueue.push_back(name);
    mQueueKeys.push_back(std::move(key));
}

void AnimationStats::Report(const std::string& message) {
    const std::string text = StrFormat("%s on Line %d in File '%s'", message.c_str(),
                                       GetCurrentLine(), GetCurrentFile().c_str());
    LogWarning("%s", text.c_str());
    mErrors.push_back(text);
}

void AnimationStats::NoteDefinition(const std::string& script, const std::string& file) {
    auto [at, first] = mDefinedIn.try_emplace(script, file);
    if (!first) {
        // Allowed (the later one replaces the earlier), but seldom meant: two screens that
        // each wrote their own script under one name.
        LogWarning("Script '%s' is defined in '%s' and again in '%s'; the later one is kept",
                   script.c_str(), at->second.c_str(), file.c_str());
        at->second = file;
    }
}

bool AnimationStats::ReadAll(const std::string& firstFile, const std::string& folder) {
    mQueue.clear();
    mQueueKeys.clear();
    mDefinedIn.clear();
    QueueFile(firstFile);
    bool allRead = true;
    for (size_t i = 0; i < mQueue.size(); ++i) {
        const std::string name = mQueue[i];  // copied: the queue grows while this file is read
        mStaged.clear();
        mStagedIncludes.clear();
        mDestinations.clear();
        const std::string path = folder + name;
        if (!ParseFileAtPath(path)) {
            allRead = false;
            // A missing file is not logged by the reader (some files are optional), but every
            // script file is needed.
            if (WasFileMissing()) {
                LogWarning("%s", GetError().c_str());
            }
            mErrors.push_back(GetError());
            continue;
        }
        mFilesRead.push_back(name);
        for (const std::string& include : mStagedIncludes) {
            QueueFile(include);
        }
        if (!mCounting) {
            std::vector<Animation> scripts;
            scripts.reserve(mStaged.size());
            for (auto& staged : mStaged) {
                NoteDefinition(staged->mName, name);
                scripts.push_back(std::move(*staged));
            }
            mTable->DefineAll(std::move(scripts));
        }
    }
    mStaged.clear();
    mStagedIncludes.clear();
    mDestinations.clear();
    return allRead && mErrors.empty();
}

void AnimationStats::HandleElementStart(const XMLElement& element) {
    const std::string& name = element.mName;
    if (name == "include") {
        const auto it = element.mAttributes.find("file");
        if (it == element.mAttributes.end() || it->second.empty()) {
            Report("\"include\" without a \"file\"");
        } else {
            mStagedIncludes.push_back(it->second);
        }
        return;
    }
    if (name == "animation") {
        ++mCount;
    }
    if (mCounting || name == "animations" || name == "checksum") {
        return;
    }
    if (name == "animation") {
        if (mOnAnimationRead) {
            mOnAnimationRead();
        }
        const auto it = element.mAttributes.find("name");
        if (it == element.mAttributes.end() || it->second.empty()) {
            // An unnamed script would be what every image widget plays (they start the empty
            // name), so it is refused rather than stored.
            Report("\"animation\" without a \"name\" (skipped)");
            mDestinations.push_back(nullptr);
            return;
        }
        mStaged.push_back(std::make_unique<Animation>(it->second));
        mDestinations.push_back(&mStaged.back()->mCommands);
        return;
    }

    CommandList* target = mDestinations.empty() ? nullptr : mDestinations.back();
    if (target == nullptr) {
        if (mDestinations.empty()) {
            Report(StrFormat("Command \"%s\" outside any \"animation\" (skipped)", name.c_str()));
        }
        mDestinations.push_back(nullptr);  // its children go with it
        return;
    }
    AnimationCommand& command = target->emplace_back();
    command.mCommand = name;
    command.mLine = GetCurrentLine();
    command.mFile = InternFileName(GetCurrentFile());
    // Named by its own script: a called or queued script runs under another's name.
    command.mScript = InternFileName(mStaged.back()->mName);
    for (const auto& [key, value] : element.mAttributes) {
        if (key == "if") {
            command.mIf = value;
        } else if (key == "unless") {
            command.mUnless = value;
        } else {
            command.mParams.emplace(key, value);
        }
    }
    mDestinations.push_back(&command.mChildren);
}

void AnimationStats::HandleElementEnd(const XMLElement& element) {
    if (mCounting || IsContainer(element.mName)) {
        return;
    }
    if (!mDestinations.empty()) {
        mDestinations.pop_back();
    }
}
