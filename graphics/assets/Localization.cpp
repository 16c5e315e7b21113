#include "graphics/assets/Localization.h"

#include "app/util/Log.h"
#include "graphics/assets/LocalizedTexts.h"

Localization::Localization() = default;

Localization::~Localization() = default;

void Localization::HandleElementStart(const XMLElement& element) {
    if (element.mName != "pair") {
        mCurrentElement = element.mName;
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
        LocalizedTexts::Set(id, LocalizedTexts::ConvertLineBreaks(GetAttribute("value")));
    }
    if (HasAttribute("title")) {
        LocalizedTexts::Set(id + "_title",
                            LocalizedTexts::ConvertLineBreaks(GetAttribute("title")));
    }
    if (HasAttribute("text")) {
        LocalizedTexts::Set(id + "_text", LocalizedTexts::ConvertLineBreaks(GetAttribute("text")));
    }
}

void Localization::HandleElementEnd(const XMLElement& /*element*/) {
    mCurrentElement.clear();
}

void Localization::HandleElementText(const XMLElement& element) {
    if (mCurrentElement.empty()) {
        return;
    }
    LocalizedTexts::Set(mCurrentElement, LocalizedTexts::ConvertLineBreaks(element.mText));
    mCurrentElement.clear();
}
