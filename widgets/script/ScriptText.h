#pragma once
// What the text-showing commands share: the text of a parameter looked up in the localized text
// table (unless "lookup" is false) with "[player]" replaced by the current player's name, the
// justification and alignment words, and the colour parameters.

#include <string>
#include <string_view>

#include "graphics/Color.h"

class ScriptParams;

// The text of parameter name, looked up when "lookup" (default true) is set and the text is not
// empty, with every "[player]" replaced by the host's player name.
std::string PrepareScriptText(const ScriptParams& params, std::string_view name = "text");
// The parameter evaluated as a text; empty when the command does not give it (an absent
// parameter would otherwise read as the "0" of the empty expression).
std::string TextParam(const ScriptParams& params, std::string_view name);
// "[player]" replaced by the host's player name (empty without a host).
std::string ReplacePlayerName(std::string text);
// "center" 0, "right" 1, anything else -1 (left).
int JustificationCode(const std::string& word);
// Alignment of a widget of size size by the word: "right" or "bottom" the whole size, "center"
// half of it (halved toward zero), else 0. The result is subtracted from the position.
int AlignShift(const std::string& word, int size);
// "align" and "valign" text codes of the text widgets: -1 left or top, 0 centre, 1 right or bottom.
int AnchorCode(const std::string& word);
// "red", "green", "blue", "alpha" (reals 0 to 1): each given component becomes the value times 255
// truncated toward zero; absent ones keep fallback's.
Color ColorParams(const ScriptParams& params, const Color& fallback);
