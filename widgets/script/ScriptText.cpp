#include "widgets/script/ScriptText.h"

#include "graphics/assets/LocalizedTexts.h"
#include "widgets/WidgetHost.h"
#include "widgets/script/ScriptParams.h"
#include "widgets/script/ScriptStrings.h"

std::string ReplacePlayerName(std::string text) {
    if (text.find("[player]") == std::string::npos) {
        return text;
    }
    WidgetHost* host = GetWidgetHost();
    return StringReplaceAll(text, "[player]", host != nullptr ? host->GetPlayerName() : "");
}

std::string TextParam(const ScriptParams& params, std::string_view name) {
    return params.Has(name) ? params.GetString(name) : std::string();
}

std::string PrepareScriptText(const ScriptParams& params, std::string_view name) {
    std::string text = TextParam(params, name);
    if (!text.empty() && params.GetBoolOr("lookup", true)) {
        text = LocalizedTexts::Lookup(text);
    }
    return ReplacePlayerName(std::move(text));
}

int JustificationCode(const std::string& word) {
    if (word == "center") {
        return 0;
    }
    if (word == "right") {
        return 1;
    }
    return -1;
}

int AlignShift(const std::string& word, int size) {
    if (word == "right" || word == "bottom") {
        return size;
    }
    if (word == "center") {
        return size / 2;
    }
    return 0;
}

int AnchorCode(const std::string& word) {
    if (word == "center") {
        return 0;
    }
    if (word == "right" || word == "bottom") {
        return 1;
    }
    return -1;
}

Color ColorParams(const ScriptParams& params, const Color& fallback) {
    Color color = fallback;
    auto component = [&params](const char* name, int* out) {
        if (params.Has(name)) {
            *out = static_cast<int>(params.GetFloat(name) * 255.0f);
        }
    };
    component("red", &color.mRed);
    component("green", &color.mGreen);
    component("blue", &color.mBlue);
    component("alpha", &color.mAlpha);
    return color;
}
