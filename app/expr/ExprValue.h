#pragma once
// The tagged value of the expression language, of widget properties and of script parameters.
// CONTRACT DRAFT: the implementer of app/expr may add members but keeps these signatures.

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
        kBlob = 4,       // owned 20-byte value
        kObject = 5,     // a widget, held by id through the live-object registry
        kImage = 6,      // an image, held by id through the live-object registry
        kPropertyRef = 7 // a property interface, held by id
    };

    ExprValue();  // integer 0
    ExprValue(const ExprValue& other);
    ExprValue(ExprValue&& other) noexcept;
    ExprValue& operator=(const ExprValue& other);  // deep-copies owned parts
    ExprValue& operator=(ExprValue&& other) noexcept;
    ~ExprValue();

    static ExprValue FromBool(bool value);
    static ExprValue FromInt(int32_t value);
    static ExprValue FromFloat(float value);
    static ExprValue FromDouble(double value);  // stored single precision
    static ExprValue FromString(std::string_view text);
    static ExprValue FromCString(const char* text);
    static ExprValue FromObject(Widget* widget);  // null gives an object value that reads as none
    static ExprValue FromObject2(Image* image);

    Tag GetTag() const { return mTag; }
    int32_t AsInt() const;    // bool 0/1, real truncated, string parsed
    float AsReal() const;
    bool AsBool() const;      // string true when "true", real when not 0
    std::string AsString() const;  // "true"/"false" for bools
    Widget* AsObject() const;      // the live widget of a kObject value, else null (also once gone)
    Image* AsObject2() const;      // the live image of a kImage value, else null
    bool Equals(const ExprValue& other) const;  // by tag

private:
    Tag mTag = kInt;
    // payload left to the implementer
};
