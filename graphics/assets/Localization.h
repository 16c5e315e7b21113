#pragma once
// Reader base of the localization file. Its element-start handler files "pair" elements in the
// localized text table and, for any other element, records the element's name as the current
// element; its text handler files the text of that element under the element's name and then
// clears the current element. A derived reader (the game's own localization reader) handles its
// own elements first and passes the rest to these handlers; it may read the current element.
//
// A "pair" element files, each when present:
//   "id"    -> the "value" attribute,
//   id + "_title" -> the "title" attribute,
//   id + "_text"  -> the "text" attribute.
// "[br]" in every filed text becomes a line break.

#include <string>

#include "app/files/Parser.h"

class Localization : public Parser {
public:
    Localization();
    ~Localization() override;

protected:
    // Files a "pair" element, or records any other element's name as the current element.
    void HandleElementStart(const XMLElement& element) override;
    // Ends the current element, so that text after an element's end (whitespace between
    // elements) is never filed under its name.
    void HandleElementEnd(const XMLElement& element) override;
    // Files the text under the current element's name, then clears the current element.
    void HandleElementText(const XMLElement& element) override;

    // The name of the element whose text is awaited; empty when none.
    const std::string& GetCurrentElement() const { return mCurrentElement; }
    void ClearCurrentElement() { mCurrentElement.clear(); }

    std::string mCurrentElement;
};
