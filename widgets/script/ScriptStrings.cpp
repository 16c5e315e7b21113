#include "widgets/script/ScriptStrings.h"

#include "core/util/StringUtil.h"

std::string StringReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string result(text);
    if (from.empty()) {
        return result;
    }
    size_t pos = 0;
    while ((pos = result.find(from, pos)) != std::string::npos) {
        result.replace(pos, from.size(), to);
        pos += to.size();
    }
    return result;
}

float StringToFloat(std::string_view text) {
    float value = 0.0f;
    if (!StringToFloatChecked(text, &value)) {
        return 0.0f;
    }
    return value;
}

bool ValueEqualsText(const ExprValue& value, std::string_view text) {
    return value.Equals(ExprValue::FromString(text));
}
