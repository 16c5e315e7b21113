#pragma once
// The tagged value of the expression language, of widget properties and of script parameters.
// Numbers and bools live in the value itself, so copying them never allocates; strings and blobs
// are owned and deep-copied. Widgets, images and property interfaces are held by registry id and
// resolved on every read, so a value never outlives what it names: once the object is gone the
// value reads as none.

#include <cstdint>
#include <string>
#include <string_view>

class ExtendedPropertyInterface;
class Widget;
class Image;

class ExprValue {
public:
    enum Tag : int32_t {
        kBool = 0,
        kInt = 1,
        kReal = 2,
        kString = 3,
        kBlob = 4,        // owned 20-byte value
        kObject = 5,      // a widget, held by id through the live-object registry
        kImage = 6,       // an image, held by id through the live-object registry
        kPropertyRef = 7  // a property interface, held by id
    };
    static constexpr size_t kBlobSize = 20;

    ExprValue() { mData.i = 0; }  // integer 0
    // Numbers, bools and references copy and die inline: evaluation makes and drops many of
    // them, and only strings and blobs own anything.
    ExprValue(const ExprValue& other) : mTag(other.mTag), mData(other.mData) {
        if (OwnsPayload()) {
            CopyFrom(other);
        }
    }
    ExprValue(ExprValue&& other) noexcept : mTag(other.mTag), mData(other.mData) {
        other.mTag = kInt;
        other.mData.i = 0;
    }
    ExprValue& operator=(const ExprValue& other);  // deep-copies owned parts
    ExprValue& operator=(ExprValue&& other) noexcept;
    ~ExprValue() {
        if (OwnsPayload()) {
            Release();
        }
    }

    static ExprValue FromBool(bool value);
    static ExprValue FromInt(int32_t value);
    static ExprValue FromFloat(float value);
    static ExprValue FromDouble(double value);  // stored single precision
    static ExprValue FromString(std::string_view text);
    static ExprValue FromCString(const char* text);  // null reads as the empty text
    // A widget or image that is not in the live-object registry (or null) gives a value that
    // reads as none.
    static ExprValue FromObject(Widget* widget);
    static ExprValue FromObject2(Image* image);
    static ExprValue FromBlob(const void* bytes);  // copies kBlobSize bytes

    // Makes this an integer holding a field handle (see FieldRegistry): the field is registered
    // under owner, which must call FieldRegistry::UnregisterOwner before the field goes away.
    void SetIntFromPointer(float* field, const void* owner);
    void SetIntFromPointer(int32_t* field, const void* owner);

    // Takes other's payload and leaves other an integer 0.
    void MoveAssign(ExprValue& other) noexcept;

    Tag GetTag() const { return mTag; }
    bool IsNumber() const { return mTag == kBool || mTag == kInt || mTag == kReal; }
    // bool 0/1, real truncated (saturating), string parsed. Inline for the common tags, since
    // arithmetic calls these for every operand.
    int32_t AsInt() const { return mTag == kInt ? mData.i : AsIntSlow(); }
    float AsReal() const { return mTag == kReal ? mData.f : AsRealSlow(); }  // as AsInt; 0 for refs
    bool AsBool() const;           // string true when "true", real when not 0, reference when live
    std::string AsString() const;  // "true"/"false" for bools; shortest exact text for reals
    Widget* AsObject() const;      // the live widget of a kObject value, else null (also once gone)
    Image* AsObject2() const;      // the live image of a kImage value, else null
    // The property interface behind a widget, image or property-reference value; null otherwise
    // or once the object is gone.
    ExtendedPropertyInterface* AsPropertyInterface() const;
    const uint8_t* AsBlob() const;  // the 20 bytes of a kBlob value, else null
    uint32_t GetObjectId() const;   // the registry id of a reference value, else 0

    // Numbers compare by value (as reals when either is real); when either side is a string the
    // texts are compared; references compare by identity, blobs by bytes.
    bool Equals(const ExprValue& other) const;

    // Borrowed view of a string value's text (empty for other tags); valid while the value lives.
    std::string_view StringView() const;

private:
    bool OwnsPayload() const { return mTag == kString || mTag == kBlob; }
    int32_t AsIntSlow() const;
    float AsRealSlow() const;
    void Release() noexcept;
    void CopyFrom(const ExprValue& other);

    Tag mTag = kInt;
    union Payload {
        bool b;
        int32_t i;
        float f;
        uint32_t id;
        std::string* s;
        uint8_t* blob;
    } mData;
};
