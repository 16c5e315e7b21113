#pragma once
// Stand-ins for the widget and image classes of the higher layers: they register with the
// live-object registry exactly as the real ones must.

#include <map>
#include <string>

#include "core/expr/ExprValue.h"
#include "core/expr/ExtendedPropertyInterface.h"
#include "core/expr/FieldRegistry.h"
#include "core/expr/LiveObjectRegistry.h"

class Widget : public ExtendedPropertyInterface {
public:
    Widget() { LiveObjectRegistry::RegisterWidget(this, this); }
    ~Widget() override {
        LiveObjectRegistry::UnregisterWidget(this);
        FieldRegistry::UnregisterOwner(this);
    }
    bool GetProperty(const std::string& name, ExprValue* out) const override {
        if (name == "x") {
            *out = ExprValue::FromFloat(mX);
            return true;
        }
        if (name == "name") {
            *out = ExprValue::FromString(mName);
            return true;
        }
        if (name == "x_ptr") {
            out->SetIntFromPointer(const_cast<float*>(&mX), this);
            return true;
        }
        if (name == "parent") {
            *out = ExprValue::FromObject(mParent);
            return true;
        }
        return false;
    }

    float mX = 0.0f;
    std::string mName;
    Widget* mParent = nullptr;
};

class Image : public ExtendedPropertyInterface {
public:
    Image(int width, int height) : mWidth(width), mHeight(height) {
        LiveObjectRegistry::RegisterImage(this, this);
    }
    ~Image() override { LiveObjectRegistry::UnregisterImage(this); }
    bool GetProperty(const std::string& name, ExprValue* out) const override {
        if (name == "width") {
            *out = ExprValue::FromInt(mWidth);
            return true;
        }
        if (name == "height") {
            *out = ExprValue::FromInt(mHeight);
            return true;
        }
        return false;
    }

    int mWidth;
    int mHeight;
};
