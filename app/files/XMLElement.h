#pragma once
// One element as the XML reader hands it to a Parser's handlers.

#include <map>
#include <string>

class XMLElement {
public:
    XMLElement() = default;
    XMLElement(std::string name, std::string text, std::map<std::string, std::string> attributes);

    std::string mName;
    std::string mText;
    std::map<std::string, std::string> mAttributes;
};
