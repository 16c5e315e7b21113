#include "graphics/assets/Localization.h"

#include "core/util/Log.h"
#include "graphics/assets/LocalizedTexts.h"

Localization::Localization() = default;

Localization::~Localization() = default;

bool Localization::Read(const std::string& name) {
    mPending.clear();
    return Commit(ParseFile(name));
}

bool Localization::ReadText(const std::string& text, const std::string& fileName) {
    mPending.clear();
    return Commit(ParseText(text, fileName));
}

bool Localization::Commit(bool parsed) {
    if (parsed) {
        for (auto& [id, text] : mPending) {
            LocalizedTexts::Set(id, std::move(text));
        }
    }
    mPending.clear();
    mCurrentElement.clear();
    mOpenElements.clear();
    return parsed;
}

void Localization::HandleElementStart(const XMLElement& element) {
    if (element.mName != "pair") {
        mCurrentElement = element.mName;
        mOpenElements.push_back(element.mName);
        return;
    }
    mCurrentElement.clear();
    std::string id = GetAttribute("id");
    if (id.empty()) {
        // One bad entry should not cost the player every other text: skip it, say where.
        LogWarning("A \"pair\" element without an \"id\" is skipped on Line %d in File '%s'",
                   GetCurrentLine(), GetCurrentFile().c_str());
        return;
    }
    if (HasAttribute("value")) {
        mPending.emplace_back(id, LocalizedTexts::ConvertLineBreaks(GetAttribute("value")));
    }
    if (HasAttribute("title")) {
        mPending.emplace_back(id + "_title",
                              LocalizedTexts::ConvertLineBreaks(GetAttribute("title")));
    }
    if (HasAttribute("text")) {
        mPending.emplace_back(id + "_text",
                              LocalizedTexts::ConvertLineBreaks(GetAttribute("text")));
    }
}

void Localization::HandleElementEnd(const XMLElement& element) {
    // The parser hands an element's whole own text over at its end, after its children have
    // ended: the enclosing element must be current again by then.
    if (!mOpenElements.empty() && mOpenElements.back() == element.mName) {
        mOpenElements.pop_back();
    }
    mCurrentElement = mOpenElements.empty() ? std::string() : mOpenElements.back();
}

void Localization::HandleElementText(const XMLElement& element) {
    if (mCurrentElement.empty() || mCurrentElement != element.mName) {
        return;
    }
    mPending.emplace_back(mCurrentElement, LocalizedTexts::ConvertLineBreaks(element.mText));
    mCurrentElement.clear();
}
