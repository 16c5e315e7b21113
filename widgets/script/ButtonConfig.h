#pragma once
// The button attributes that "add-button" and "config-button" apply to a button: label, state
// fonts, width, pixel check, label offsets, hand cursor and sounds.

class ButtonWidget;
class ScriptParams;

// Applies every attribute the command gives; absent ones leave the button as it is.
void ConfigButton(const ScriptParams& params, ButtonWidget* button);
