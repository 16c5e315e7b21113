#include "core/files/XMLElement.h"

#include <utility>

XMLElement::XMLElement(std::string name, std::string text,
                       std::map<std::string, std::string> attributes)
    : mName(std::move(name)), mText(std::move(text)), mAttributes(std::move(attributes)) {}
