#include "core/files/Parser.h"

#include <expat.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <exception>
#include <vector>

#include "core/expr/ExpressionEvaluator.h"
#include "core/files/PakInterfaceBase.h"
#include "core/util/Log.h"
#include "core/util/StringUtil.h"

namespace {

std::atomic<Parser::NamedIdResolver> gNamedIdResolver{nullptr};

constexpr size_t kReadChunk = 64 * 1024;
constexpr size_t kMostReadChunk = 64 * 1024 * 1024;

// expat releases without "reparse deferral" scan a token that is not yet complete again from its
// start each time more text arrives, so one huge token (a value of megabytes) fed in pieces of a
// fixed size costs its size squared. Pieces that grow with what was fed keep that linear (up to
// the cap, which bounds the buffer; the largest file read is a few times the cap).
size_t NextChunk(size_t fed) {
    return std::clamp(fed, kReadChunk, kMostReadChunk);
}

// A plain decimal integer that fits an int; such texts skip the expression evaluator (same value,
// and the evaluator's cache does not fill up with every number of a large data file).
bool ParsePlainInt(const std::string& text, int* value) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '-' && end - begin > 1) {
        // from_chars takes the minus itself.
    } else if (begin == end || *begin < '0' || *begin > '9') {
        return false;
    }
    const auto result = std::from_chars(begin, end, *value);
    return result.ec == std::errc() && result.ptr == end;
}

}  // namespace

struct Parser::Impl {
    struct OpenElement {
        XMLElement mElement;
        std::string mRawText;
    };

    Parser* mOwner = nullptr;
    XML_Parser mXml = nullptr;
    std::vector<OpenElement> mStack;
    bool mStopped = false;

    void Stop(const std::string& message) {
        if (mStopped) {
            return;
        }
        mStopped = true;
        mOwner->mError = message + StrFormat(" on Line %d in File '%s'",
                                             static_cast<int>(XML_GetCurrentLineNumber(mXml)),
                                             mOwner->mFile.c_str());
        XML_StopParser(mXml, XML_FALSE);
    }

    // Handlers are C callbacks: nothing may unwind through expat, so an exception from a reader
    // becomes a parse error.
    template <typename F>
    void Guard(F&& body) {
        if (mStopped) {
            return;
        }
        try {
            body();
        } catch (const std::exception& e) {
            Stop(std::string("Error while reading: ") + e.what());
        } catch (...) {
            Stop("Unknown error while reading");
        }
    }

    static void OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
        Impl* self = static_cast<Impl*>(data);
        self->Guard([&] {
            std::map<std::string, std::string> map;
            for (int i = 0; attributes[i] != nullptr; i += 2) {
                map[attributes[i]] = attributes[i + 1];
            }
            self->mStack.push_back(
                OpenElement{XMLElement(name, std::string(), std::move(map)), std::string()});
            Parser* owner = self->mOwner;
            owner->mCurrent = &self->mStack.back().mElement;
            owner->HandleElementStart(self->mStack.back().mElement);
        });
    }

    static void OnEnd(void* data, const XML_Char* /*name*/) {
        Impl* self = static_cast<Impl*>(data);
        self->Guard([&] {
            if (self->mStack.empty()) {
                return;
            }
            // The element stays on the stack while its handlers run, so mCurrent stays valid
            // even if a handler parses an included file.
            OpenElement& open = self->mStack.back();
            open.mElement.mText = std::string(TrimBlanks(open.mRawText));
            open.mRawText.clear();
            Parser* owner = self->mOwner;
            owner->mCurrent = &open.mElement;
            if (!open.mElement.mText.empty()) {
                owner->HandleElementText(open.mElement);
            }
            if (!self->mStopped) {
                owner->mCurrent = &self->mStack.back().mElement;
                owner->HandleElementEnd(self->mStack.back().mElement);
            }
        });
        if (!self->mStack.empty()) {
            self->mStack.pop_back();
        }
        self->mOwner->mCurrent = self->mStack.empty() ? nullptr : &self->mStack.back().mElement;
    }

    static void OnText(void* data, const XML_Char* text, int length) {
        Impl* self = static_cast<Impl*>(data);
        if (self->mStopped || self->mStack.empty()) {
            return;
        }
        self->mStack.back().mRawText.append(text, static_cast<size_t>(length));
    }
};

Parser::Parser() = default;

Parser::~Parser() = default;

void Parser::SetNamedIdResolver(NamedIdResolver resolver) {
    gNamedIdResolver.store(resolver);
}

void Parser::HandleElementStart(const XMLElement& /*element*/) {}

void Parser::HandleElementEnd(const XMLElement& /*element*/) {}

void Parser::HandleElementText(const XMLElement& /*element*/) {}

bool Parser::ParseFile(const std::string& name) {
    return ParseFileAtPath("properties/" + name);
}

bool Parser::ParseFileAtPath(const std::string& path) {
    PakInterfaceBase* pak = PakInterfaceBase::Get();
    PFILE* file = pak->FOpen(path.c_str(), "rb");
    if (file == nullptr) {
        mError = StrFormat("Could not open the file (%s) on Line 0 in File '%s'",
                           PakInterfaceBase::LastOpenError().c_str(), path.c_str());
        mFileMissing = true;
        return false;
    }
    const bool ok = RunParse(file, nullptr, path);
    pak->FClose(file);
    return ok;
}

bool Parser::ParseText(const std::string& text, const std::string& fileName) {
    return RunParse(nullptr, &text, fileName);
}

bool Parser::RunParse(PFILE* file, const std::string* text, const std::string& fileName) {
    // Save the state of an enclosing parse (a handler reading an included file).
    Impl* outerImpl = mImpl;
    const XMLElement* outerCurrent = mCurrent;
    std::string outerFile = mFile;

    Impl impl;
    impl.mOwner = this;
    impl.mXml = XML_ParserCreate(nullptr);
    if (impl.mXml == nullptr) {
        mError = "Out of memory creating the XML parser in File '" + fileName + "'";
        return false;
    }
    mImpl = &impl;
    mCurrent = nullptr;
    mFile = fileName;
    mError.clear();
    mFileMissing = false;

    XML_SetUserData(impl.mXml, &impl);
    XML_SetElementHandler(impl.mXml, &Impl::OnStart, &Impl::OnEnd);
    XML_SetCharacterDataHandler(impl.mXml, &Impl::OnText);

    auto reportExpatError = [&] {
        if (!impl.mStopped) {
            impl.mStopped = true;
            mError = StrFormat(
                "%s on Line %d in File '%s'", XML_ErrorString(XML_GetErrorCode(impl.mXml)),
                static_cast<int>(XML_GetCurrentLineNumber(impl.mXml)), fileName.c_str());
        }
    };

    if (text != nullptr) {
        // expat takes an int length; feed big texts in pieces.
        size_t offset = 0;
        do {
            const size_t piece = std::min(text->size() - offset, NextChunk(offset));
            const bool last = offset + piece == text->size();
            if (XML_Parse(impl.mXml, text->data() + offset, static_cast<int>(piece),
                          last ? XML_TRUE : XML_FALSE) != XML_STATUS_OK) {
                reportExpatError();
                break;
            }
            offset += piece;
        } while (offset < text->size());
    } else {
        PakInterfaceBase* pak = PakInterfaceBase::Get();
        size_t fed = 0;
        for (;;) {
            const size_t chunk = NextChunk(fed);
            void* buffer = XML_GetBuffer(impl.mXml, static_cast<int>(chunk));
            if (buffer == nullptr) {
                reportExpatError();
                break;
            }
            const size_t got = pak->FRead(buffer, 1, chunk, file);
            fed += got;
            const bool last = got < chunk;
            if (XML_ParseBuffer(impl.mXml, static_cast<int>(got), last ? XML_TRUE : XML_FALSE) !=
                XML_STATUS_OK) {
                reportExpatError();
                break;
            }
            if (last) {
                break;
            }
        }
    }
    const bool ok = !impl.mStopped;
    XML_ParserFree(impl.mXml);

    mImpl = outerImpl;
    mCurrent = outerCurrent;
    if (outerImpl != nullptr) {
        mFile = outerFile;  // back to the including file; otherwise keep naming this one
    }
    if (ok) {
        // An included file that failed earlier in this parse was the handler's business.
        mError.clear();
        mFileMissing = false;
    } else {
        LogWarning("%s", mError.c_str());
    }
    return ok;
}

std::string Parser::GetAttribute(const std::string& name) const {
    if (mCurrent == nullptr) {
        return std::string();
    }
    const auto it = mCurrent->mAttributes.find(name);
    return it == mCurrent->mAttributes.end() ? std::string() : it->second;
}

int Parser::GetAttributeInt(const std::string& name) const {
    const std::string text = GetAttribute(name);
    if (text.empty()) {
        return 0;
    }
    int value = 0;
    if (ParsePlainInt(text, &value)) {
        return value;
    }
    return ExpressionEvaluator(nullptr).Evaluate(text).AsInt();
}

bool Parser::GetAttributeIntChecked(const std::string& name, int* out) const {
    if (!HasAttribute(name)) {
        return false;
    }
    const std::string text = GetAttribute(name);
    if (text.empty()) {
        return false;
    }
    int value = 0;
    if (!ParsePlainInt(text, &value)) {
        const ExprValue result = ExpressionEvaluator(nullptr).Evaluate(text);
        if (!result.IsNumber()) {
            return false;
        }
        value = result.AsInt();
    }
    *out = value;
    return true;
}

bool Parser::GetAttributeBool(const std::string& name) const {
    const std::string text = GetAttribute(name);
    return text == "true" || text == "1";
}

bool Parser::HasAttribute(const std::string& name) const {
    return mCurrent != nullptr && mCurrent->mAttributes.count(name) != 0;
}

int Parser::GetAttributeId(const std::string& name) const {
    const NamedIdResolver resolver = gNamedIdResolver.load();
    if (resolver == nullptr || !HasAttribute(name)) {
        return -1;
    }
    return resolver(GetAttribute(name));
}

void Parser::Fail(const std::string& message) {
    if (mImpl != nullptr) {
        mImpl->Stop(message);
        return;
    }
    // Outside a parse (a reader validating after ParseFile): same shape, no line.
    if (mError.empty()) {
        mError = message + StrFormat(" on Line 0 in File '%s'", mFile.c_str());
        LogWarning("%s", mError.c_str());
    }
}

int Parser::GetCurrentLine() const {
    return mImpl != nullptr ? static_cast<int>(XML_GetCurrentLineNumber(mImpl->mXml)) : 0;
}
