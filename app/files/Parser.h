#pragma once
// Base of every XML property-file reader: the read loop hands each element start, element end and
// text to three virtual handlers, in that order of slots. Readers fill temporaries in the handlers
// and commit them only when ParseFile returns true.

#include <string>

#include "app/files/XMLElement.h"

class Parser {
public:
    Parser();
    virtual ~Parser();

    // Reads "properties/" + name below the working folder. False when the file can't be read or
    // is malformed, or a handler called Fail; GetError then says why, with " on Line %d" and
    // " in File '%s'".
    bool ParseFile(const std::string& name);
    // Reads a file by its full path; as ParseFile.
    bool ParseFileAtPath(const std::string& path);
    // Parses text already in memory; fileName only names it in errors.
    bool ParseText(const std::string& text, const std::string& fileName);

    const std::string& GetError() const { return mError; }

protected:
    virtual void HandleElementStart(const XMLElement& element);
    virtual void HandleElementEnd(const XMLElement& element);
    virtual void HandleElementText(const XMLElement& element);

    // Attribute getters on the element being handled (valid inside the handlers).
    std::string GetAttribute(const std::string& name) const;  // empty when absent
    int GetAttributeInt(const std::string& name) const;       // evaluated as an expression; 0 when absent
    bool GetAttributeBool(const std::string& name) const;     // "true" or "1"
    bool HasAttribute(const std::string& name) const;
    int GetAttributeId(const std::string& name) const;        // named id lookup; -1 when not found

    // Stops the parse with an error that names the current line and file.
    void Fail(const std::string& message);
    int GetCurrentLine() const;
    const std::string& GetCurrentFile() const { return mFile; }

private:
    // (implementation detail left to the implementer)
    std::string mError;
    std::string mFile;
    const XMLElement* mCurrent = nullptr;
    struct Impl;
    Impl* mImpl = nullptr;
};
