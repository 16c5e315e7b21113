#include "core/expr/ExprValue.h"

#include <cstring>
#include <utility>

#include "core/expr/ExprNumbers.h"
#include "core/expr/ExtendedPropertyInterface.h"
#include "core/expr/FieldRegistry.h"
#include "core/expr/LiveObjectRegistry.h"
#include "core/util/Log.h"

ExprValue& ExprValue::operator=(const ExprValue& other) {
    if (this != &other) {
        // Copy first, so that an exception from the allocation leaves this value intact.
        ExprValue copy(other);
        MoveAssign(copy);
    }
    return *this;
}

ExprValue& ExprValue::operator=(ExprValue&& other) noexcept {
    MoveAssign(other);
    return *this;
}

void ExprValue::Release() noexcept {
    if (mTag == kString) {
        delete mData.s;
    } else if (mTag == kBlob) {
        delete[] mData.blob;
    }
    mTag = kInt;
    mData.i = 0;
}

void ExprValue::CopyFrom(const ExprValue& other) {
    if (other.mTag == kString) {
        mData.s = new std::string(*other.mData.s);
    } else if (other.mTag == kBlob) {
        mData.blob = new uint8_t[kBlobSize];
        std::memcpy(mData.blob, other.mData.blob, kBlobSize);
    } else {
        mData = other.mData;
    }
    mTag = other.mTag;
}

void ExprValue::MoveAssign(ExprValue& other) noexcept {
    if (this == &other) {
        return;
    }
    Release();
    mTag = other.mTag;
    mData = other.mData;
    other.mTag = kInt;
    other.mData.i = 0;
}

ExprValue ExprValue::FromBool(bool value) {
    ExprValue result;
    result.mTag = kBool;
    result.mData.b = value;
    return result;
}

ExprValue ExprValue::FromInt(int32_t value) {
    ExprValue result;
    result.mData.i = value;
    return result;
}

ExprValue ExprValue::FromFloat(float value) {
    ExprValue result;
    result.mTag = kReal;
    result.mData.f = value;
    return result;
}

ExprValue ExprValue::FromDouble(double value) {
    return FromFloat(static_cast<float>(value));
}

ExprValue ExprValue::FromString(std::string_view text) {
    ExprValue result;
    result.mData.s = new std::string(text);
    result.mTag = kString;
    return result;
}

ExprValue ExprValue::FromCString(const char* text) {
    return FromString(text == nullptr ? std::string_view() : std::string_view(text));
}

ExprValue ExprValue::FromObject(Widget* widget) {
    uint32_t id = LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, widget);
    if (widget != nullptr && id == 0) {
        DebugOutput("ExprValue::FromObject: widget %p is not registered; it reads as none\n",
                    static_cast<void*>(widget));
    }
    ExprValue result;
    result.mTag = kObject;
    result.mData.id = id;
    return result;
}

ExprValue ExprValue::FromObject2(Image* image) {
    uint32_t id = LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kImage, image);
    if (image != nullptr && id == 0) {
        DebugOutput("ExprValue::FromObject2: image %p is not registered; it reads as none\n",
                    static_cast<void*>(image));
    }
    ExprValue result;
    result.mTag = kImage;
    result.mData.id = id;
    return result;
}

ExprValue ExprValue::FromBlob(const void* bytes) {
    ExprValue result;
    result.mData.blob = new uint8_t[kBlobSize];
    std::memcpy(result.mData.blob, bytes, kBlobSize);
    result.mTag = kBlob;
    return result;
}

void ExprValue::SetIntFromPointer(float* field, const void* owner) {
    Release();
    mData.i = FieldRegistry::Register(field, owner);
}

void ExprValue::SetIntFromPointer(int32_t* field, const void* owner) {
    Release();
    mData.i = FieldRegistry::Register(field, owner);
}

namespace {
int32_t StringToInt(const std::string& text) {
    bool isReal = false;
    int32_t i = 0;
    float f = 0.0f;
    if (!ParseNumberText(text, &isReal, &i, &f)) {
        return 0;
    }
    return isReal ? TruncateToInt(f) : i;
}

float StringToReal(const std::string& text) {
    bool isReal = false;
    int32_t i = 0;
    float f = 0.0f;
    if (!ParseNumberText(text, &isReal, &i, &f)) {
        return 0.0f;
    }
    return isReal ? f : static_cast<float>(i);
}
}  // namespace

int32_t ExprValue::AsIntSlow() const {
    switch (mTag) {
        case kBool:
            return mData.b ? 1 : 0;
        case kInt:
            return mData.i;
        case kReal:
            return TruncateToInt(mData.f);
        case kString:
            return StringToInt(*mData.s);
        default:
            return 0;
    }
}

float ExprValue::AsRealSlow() const {
    switch (mTag) {
        case kBool:
            return mData.b ? 1.0f : 0.0f;
        case kInt:
            return static_cast<float>(mData.i);
        case kReal:
            return mData.f;
        case kString:
            return StringToReal(*mData.s);
        default:
            return 0.0f;
    }
}

bool ExprValue::AsBool() const {
    switch (mTag) {
        case kBool:
            return mData.b;
        case kInt:
            return mData.i != 0;
        case kReal:
            return mData.f != 0.0f;
        case kString:
            return *mData.s == "true";
        case kBlob:
            return true;
        case kObject:
            return AsObject() != nullptr;
        case kImage:
            return AsObject2() != nullptr;
        case kPropertyRef:
            return AsPropertyInterface() != nullptr;
    }
    return false;
}

std::string ExprValue::AsString() const {
    switch (mTag) {
        case kBool:
            return mData.b ? "true" : "false";
        case kInt:
            return std::to_string(mData.i);
        case kReal:
            return FormatReal(mData.f);
        case kString:
            return *mData.s;
        default:
            // References and blobs have no text of their own.
            return std::string();
    }
}

std::string_view ExprValue::StringView() const {
    return mTag == kString ? std::string_view(*mData.s) : std::string_view();
}

Widget* ExprValue::AsObject() const {
    return mTag == kObject ? LiveObjectRegistry::ResolveWidget(mData.id) : nullptr;
}

Image* ExprValue::AsObject2() const {
    return mTag == kImage ? LiveObjectRegistry::ResolveImage(mData.id) : nullptr;
}

ExtendedPropertyInterface* ExprValue::AsPropertyInterface() const {
    if (mTag == kObject || mTag == kImage || mTag == kPropertyRef) {
        return LiveObjectRegistry::ResolveProperties(mData.id);
    }
    return nullptr;
}

const uint8_t* ExprValue::AsBlob() const {
    return mTag == kBlob ? mData.blob : nullptr;
}

uint32_t ExprValue::GetObjectId() const {
    return (mTag == kObject || mTag == kImage || mTag == kPropertyRef) ? mData.id : 0;
}

bool ExprValue::Equals(const ExprValue& other) const {
    if (IsNumber() && other.IsNumber()) {
        if (mTag == kReal || other.mTag == kReal) {
            return AsReal() == other.AsReal();
        }
        return AsInt() == other.AsInt();
    }
    if (mTag == kString || other.mTag == kString) {
        if (mTag == kString && other.mTag == kString) {
            return *mData.s == *other.mData.s;
        }
        return AsString() == other.AsString();
    }
    if (mTag != other.mTag) {
        return false;
    }
    if (mTag == kBlob) {
        return std::memcmp(mData.blob, other.mData.blob, kBlobSize) == 0;
    }
    // References: the same live object, or both gone (both read as none).
    uint32_t a = mData.id;
    uint32_t b = other.mData.id;
    if (a == b) {
        return true;
    }
    return AsPropertyInterface() == nullptr && other.AsPropertyInterface() == nullptr &&
           AsObject() == nullptr && other.AsObject() == nullptr && AsObject2() == nullptr &&
           other.AsObject2() == nullptr;
}
