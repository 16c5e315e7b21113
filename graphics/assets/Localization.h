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
//
// Texts are collected while the file is read and filed in the table only when the whole file
// has been read, so a broken file leaves the table as it was.

#include <string>
#include <utility>
#include <vector>

#include "core/files/Parser.h"

class Localization : public Parser {
public:
    Localization();
    ~Localization() override;

    // Reads "properties/" + name and, when the whole file was read, files its texts in the
    // localized text table. False (table unchanged, GetError naming line and file) otherwise.
    bool Read(const std::string& name);
    // The same for text in memory; fileName only names it in errors.
    bool ReadText(const std::string& text, const std::string& fileName);

protected:
    // Files a "pair" element, or records any other element's name as the current element.
    void HandleElementStart(const XMLElement& element) override;
    // Ends the current element; the enclosing recorded element (if any) becomes current again,
    // so that its text before a child element ("<t>Hello<b/></t>") is still filed.
    void HandleElementEnd(const XMLElement& element) override;
    // Files the text under the current element's name when the text is that element's own,
    // then clears the current element.
    void HandleElementText(const XMLElement& element) override;

    // The name of the element whose text is awaited; empty when none.
    const std::string& GetCurrentElement() const { return mCurrentElement; }
    void ClearCurrentElement() { mCurrentElement.clear(); }

    std::string mCurrentElement;

private:
    // Files the collected texts when parsed is true; drops them either way.
    bool Commit(bool parsed);

    std::vector<std::pair<std::string, std::string>> mPending;  // id, text, in file order
    std::vector<std::string> mOpenElements;  // the recorded elements still open, innermost last
};
