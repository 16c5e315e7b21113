#pragma once
// Base of every XML property-file reader: the read loop hands each element start, element end and
// text to three virtual handlers, in that order of slots. Readers fill temporaries in the handlers
// and commit them only when ParseFile returns true.
//
// Calling order for one element: HandleElementStart when its start tag is read (attributes known,
// text empty); then its children; then, once, HandleElementText with the element's whole own text
// (character data outside child elements, joined and trimmed of blanks) when that text is not
// empty; then HandleElementEnd. Whitespace between elements never reaches the text handler.

#include <string>

#include "core/files/XMLElement.h"

struct PFILE;

class Parser {
public:
    // Looks a name up in the process-wide table of named ids; -1 when unknown.
    using NamedIdResolver = int (*)(const std::string& name);

    Parser();
    virtual ~Parser();
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    // Reads "properties/" + name below the working folder. False when the file can't be read or
    // is malformed, or a handler called Fail; GetError then says why, with " on Line %d" and
    // " in File '%s'". Malformed files and Fail are also reported through LogWarning; a missing
    // file is not (some files are optional), see WasFileMissing. May be called again from inside
    // a handler (included files); the outer parse goes on afterwards.
    bool ParseFile(const std::string& name);
    // Reads a file by its path (relative to the working folder, or absolute); as ParseFile.
    bool ParseFileAtPath(const std::string& path);
    // Parses text already in memory; fileName only names it in errors.
    bool ParseText(const std::string& text, const std::string& fileName);

    const std::string& GetError() const { return mError; }
    // Whether the last parse failed because the file could not be opened.
    bool WasFileMissing() const { return mFileMissing; }

    // Installs the lookup behind GetAttributeId (the widget layer does, at start-up); null
    // removes it. Safe from any thread.
    static void SetNamedIdResolver(NamedIdResolver resolver);

protected:
    virtual void HandleElementStart(const XMLElement& element);
    virtual void HandleElementEnd(const XMLElement& element);
    virtual void HandleElementText(const XMLElement& element);

    // Attribute getters on the element being handled (valid inside the handlers; outside them
    // they answer as for an absent attribute).
    std::string GetAttribute(const std::string& name) const;  // empty when absent
    // The text evaluated as an expression (named constants allowed), then as an integer; 0 when
    // absent or empty.
    int GetAttributeInt(const std::string& name) const;
    // For readers that validate: like GetAttributeInt, but false (and *out untouched) when the
    // attribute is absent or its text does not evaluate to a number or bool.
    bool GetAttributeIntChecked(const std::string& name, int* out) const;
    bool GetAttributeBool(const std::string& name) const;  // "true" or "1"
    bool HasAttribute(const std::string& name) const;
    // The text looked up with the installed NamedIdResolver; -1 when absent, unknown or no
    // resolver is installed.
    int GetAttributeId(const std::string& name) const;

    // Stops the parse with the error "<message> on Line <n> in File '<file>'"; the first call
    // wins. ParseFile then returns false. Called after a parse (a reader checking the whole
    // file), it sets the error with line 0 of the file last read.
    void Fail(const std::string& message);
    int GetCurrentLine() const;
    const std::string& GetCurrentFile() const { return mFile; }

private:
    struct Impl;
    friend struct Impl;

    bool RunParse(PFILE* file, const std::string* text, const std::string& fileName);

    std::string mError;
    std::string mFile;
    bool mFileMissing = false;
    const XMLElement* mCurrent = nullptr;
    Impl* mImpl = nullptr;  // the parse in progress; null between parses
};
