#pragma once
// One element as the XML reader hands it to a Parser's handlers.

#include <map>
#include <string>

class XMLElement {
public:
    XMLElement() = default;
    XMLElement(std::string name, std::string text, std::map<std::string, std::string> attributes);

    std::string mName;
    // The element's own text (its character data outside child elements, joined), with leading
    // and trailing blanks removed. Empty in the element-start handler; filled for the text and
    // element-end handlers.
    std::string mText;
    std::map<std::string, std::string> mAttributes;
};
