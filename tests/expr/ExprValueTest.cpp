// The tagged value: conversions, copies, equality, references that outlive their objects and
// field handles.

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>

#include "FakeObjects.h"
#include "core/expr/ExprValue.h"
#include "core/expr/FieldRegistry.h"

TEST(ExprValueTest, ConversionsFollowTheTag) {
    EXPECT_EQ(ExprValue().GetTag(), ExprValue::kInt);
    EXPECT_EQ(ExprValue().AsInt(), 0);

    EXPECT_EQ(ExprValue::FromBool(true).AsInt(), 1);
    EXPECT_EQ(ExprValue::FromBool(false).AsString(), "false");
    EXPECT_EQ(ExprValue::FromBool(true).AsString(), "true");

    EXPECT_EQ(ExprValue::FromFloat(-3.9f).AsInt(), -3);  // truncated toward zero
    EXPECT_EQ(ExprValue::FromFloat(1e20f).AsInt(), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ExprValue::FromFloat(std::numeric_limits<float>::quiet_NaN()).AsInt(), 0);
    EXPECT_FLOAT_EQ(ExprValue::FromDouble(0.1).AsReal(), 0.1f);
    EXPECT_EQ(ExprValue::FromDouble(0.1).GetTag(), ExprValue::kReal);
    EXPECT_EQ(ExprValue::FromFloat(0.1f).AsString(), "0.1");
    EXPECT_EQ(ExprValue::FromFloat(5.0f).AsString(), "5");
    EXPECT_FALSE(ExprValue::FromFloat(0.0f).AsBool());
    EXPECT_TRUE(ExprValue::FromFloat(0.5f).AsBool());

    EXPECT_EQ(ExprValue::FromString("42").AsInt(), 42);
    EXPECT_EQ(ExprValue::FromString(" 0x10 ").AsInt(), 16);
    EXPECT_EQ(ExprValue::FromString("3.75").AsInt(), 3);
    EXPECT_FLOAT_EQ(ExprValue::FromString("3.75").AsReal(), 3.75f);
    EXPECT_EQ(ExprValue::FromString("abc").AsInt(), 0);
    EXPECT_TRUE(ExprValue::FromString("true").AsBool());
    EXPECT_FALSE(ExprValue::FromString("1").AsBool());
    EXPECT_EQ(ExprValue::FromCString(nullptr).AsString(), "");
    EXPECT_EQ(ExprValue::FromInt(-7).AsString(), "-7");
}

TEST(ExprValueTest, CopiesOwnTheirTextAndMovesEmptyTheSource) {
    ExprValue a = ExprValue::FromString("hello");
    ExprValue b = a;
    a = ExprValue::FromString("changed");
    EXPECT_EQ(b.AsString(), "hello");

    ExprValue c;
    c.MoveAssign(b);
    EXPECT_EQ(c.AsString(), "hello");
    EXPECT_EQ(b.GetTag(), ExprValue::kInt);

    c = c;  // self-assignment keeps the text
    EXPECT_EQ(c.AsString(), "hello");

    uint8_t bytes[ExprValue::kBlobSize];
    for (size_t i = 0; i < sizeof(bytes); ++i) {
        bytes[i] = static_cast<uint8_t>(i * 3);
    }
    ExprValue blob = ExprValue::FromBlob(bytes);
    ExprValue blobCopy = blob;
    bytes[0] = 99;
    ASSERT_NE(blobCopy.AsBlob(), nullptr);
    EXPECT_NE(blobCopy.AsBlob(), blob.AsBlob());
    EXPECT_EQ(blobCopy.AsBlob()[19], 57);
    EXPECT_TRUE(blob.Equals(blobCopy));
    EXPECT_FALSE(blob.Equals(ExprValue::FromBlob(bytes)));
}

TEST(ExprValueTest, EqualsComparesNumbersByValueAndStringsByText) {
    EXPECT_TRUE(ExprValue::FromInt(2).Equals(ExprValue::FromFloat(2.0f)));
    EXPECT_TRUE(ExprValue::FromBool(true).Equals(ExprValue::FromInt(1)));
    EXPECT_FALSE(ExprValue::FromInt(2).Equals(ExprValue::FromFloat(2.5f)));
    EXPECT_TRUE(ExprValue::FromString("abc").Equals(ExprValue::FromString("abc")));
    EXPECT_TRUE(ExprValue::FromInt(5).Equals(ExprValue::FromString("5")));
    EXPECT_TRUE(ExprValue::FromBool(false).Equals(ExprValue::FromString("false")));
    EXPECT_FALSE(ExprValue::FromString("abc").Equals(ExprValue::FromString("abd")));
}

TEST(ExprValueTest, WidgetReferenceReadsAsNoneOnceTheWidgetIsGone) {
    auto widget = std::make_unique<Widget>();
    ExprValue ref = ExprValue::FromObject(widget.get());
    ExprValue copy = ref;
    EXPECT_EQ(ref.GetTag(), ExprValue::kObject);
    EXPECT_EQ(ref.AsObject(), widget.get());
    EXPECT_EQ(ref.AsObject2(), nullptr);
    EXPECT_TRUE(ref.AsBool());
    EXPECT_TRUE(ref.Equals(ExprValue::FromObject(widget.get())));

    widget.reset();
    EXPECT_EQ(ref.AsObject(), nullptr);
    EXPECT_EQ(copy.AsObject(), nullptr);
    EXPECT_EQ(ref.AsPropertyInterface(), nullptr);
    EXPECT_FALSE(ref.AsBool());

    // A new widget, even one at the same address, is not the old reference's object.
    auto other = std::make_unique<Widget>();
    EXPECT_EQ(ref.AsObject(), nullptr);
    EXPECT_EQ(ExprValue::FromObject(nullptr).AsObject(), nullptr);
}

TEST(ExprValueTest, ImageReferenceIsNotAWidget) {
    Image image(4, 2);
    ExprValue ref = ExprValue::FromObject2(&image);
    EXPECT_EQ(ref.GetTag(), ExprValue::kImage);
    EXPECT_EQ(ref.AsObject2(), &image);
    EXPECT_EQ(ref.AsObject(), nullptr);
    EXPECT_EQ(ref.AsPropertyInterface(), &image);
}

TEST(ExprValueTest, FieldHandleResolvesOnlyWhileTheFieldIsRegistered) {
    auto widget = std::make_unique<Widget>();
    ExprValue handle;
    ASSERT_TRUE(widget->GetProperty("x_ptr", &handle));
    EXPECT_EQ(handle.GetTag(), ExprValue::kInt);
    EXPECT_GT(handle.AsInt(), 0);
    float* field = FieldRegistry::GetFloat(handle.AsInt());
    ASSERT_EQ(field, &widget->mX);
    *field = 12.5f;
    EXPECT_FLOAT_EQ(widget->mX, 12.5f);
    EXPECT_EQ(FieldRegistry::GetInt(handle.AsInt()), nullptr);  // wrong kind

    // Asking again gives the same handle rather than a new registration.
    ExprValue again;
    widget->GetProperty("x_ptr", &again);
    EXPECT_EQ(again.AsInt(), handle.AsInt());

    size_t before = FieldRegistry::GetCount();
    widget.reset();
    EXPECT_EQ(FieldRegistry::GetFloat(handle.AsInt()), nullptr);
    EXPECT_EQ(FieldRegistry::GetCount(), before - 1);

    int32_t counter = 3;
    int token = 0;
    ExprValue intHandle;
    intHandle.SetIntFromPointer(&counter, &token);
    ASSERT_EQ(FieldRegistry::GetInt(intHandle.AsInt()), &counter);
    FieldRegistry::Unregister(intHandle.AsInt());
    EXPECT_EQ(FieldRegistry::GetInt(intHandle.AsInt()), nullptr);
}
