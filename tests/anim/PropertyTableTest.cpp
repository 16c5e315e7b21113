// One table per class of the properties scripts read and write: every writable property reads
// back, derived classes add theirs to their base's, and handles come only from the table.

#include <gtest/gtest.h>

#include "core/expr/FieldRegistry.h"
#include "widgets/anim/AnimationWidget.h"
#include "widgets/anim/DragWidget.h"
#include "widgets/anim/NumericalTextWidget.h"
#include "widgets/anim/TextLabel.h"

namespace {

TEST(PropertyTable, EveryWritablePropertyReadsBackWhatWasWritten) {
    DynamicWidget w(0, 0, nullptr, 1.0f);
    const PropertyTable& table = w.GetPropertyTable();
    int written = 0;
    for (const std::string& name : table.Names()) {
        int flags = 0;
        float* field = w.FindAnimatedProperty(name, flags);
        if (field == nullptr) {
            continue;
        }
        ++written;
        w.SetNamedFloat(name, 3.25f);
        ExprValue value;
        ASSERT_TRUE(w.GetProperty(name, &value)) << name;
        EXPECT_FLOAT_EQ(value.AsReal(), 3.25f) << name;
    }
    EXPECT_GE(written, 27);
}

TEST(PropertyTable, ReadOnlyPropertiesAreNotWritable) {
    DynamicWidget w(5, 6, nullptr, 1.0f);
    int flags = 0;
    EXPECT_EQ(w.FindAnimatedProperty("right", flags), nullptr);
    EXPECT_EQ(w.FindAnimatedProperty("last_x", flags), nullptr);
    EXPECT_EQ(flags, 0);
    ExprValue value;
    ASSERT_TRUE(w.GetProperty("last_x", &value));
    EXPECT_FLOAT_EQ(value.AsReal(), 5.0f);
    ASSERT_TRUE(w.GetProperty("last_x_ptr", &value));
    EXPECT_EQ(FieldRegistry::GetFloat(value.AsInt()), &w.mLastX);
    // Handles only for the names the table marks.
    EXPECT_FALSE(w.GetProperty("red_ptr", &value));
    EXPECT_FALSE(w.GetProperty("right_ptr", &value));
    EXPECT_FALSE(w.GetProperty("no_such_property", &value));
}

TEST(PropertyTable, DerivedClassesAddToTheirBase) {
    AnimationWidget scripted(0, 0, nullptr, 1.0f);
    ExprValue value;
    ASSERT_TRUE(scripted.GetProperty("layer", &value));
    EXPECT_EQ(value.AsObject(), &scripted);
    ASSERT_TRUE(scripted.GetProperty("opacity", &value));

    DragWidget drag(0, 0, nullptr, 1.0f, DragWidget::kBumpNone, 0, 0, 0, 0);
    ASSERT_TRUE(drag.GetProperty("draggable", &value));
    EXPECT_TRUE(value.AsBool());
    ASSERT_TRUE(drag.GetProperty("layer", &value));
    ASSERT_TRUE(drag.GetProperty("x", &value));
    EXPECT_FALSE(scripted.GetProperty("draggable", &value));

    NumericalTextWidget counter(0, 0, -1, "none", "%d", 0, 1,
                                NumericalTextWidget::Binding::Fixed(4));
    ASSERT_TRUE(counter.GetProperty("value", &value));
    EXPECT_EQ(value.AsInt(), 4);
    ASSERT_TRUE(counter.GetProperty("text", &value));
    EXPECT_EQ(value.AsString(), "4");

    TextLabel label("abc", 0, 0, "none", 0, -1, -1, -1);
    ASSERT_TRUE(label.GetProperty("text", &value));
    EXPECT_EQ(value.AsString(), "abc");
}

}  // namespace
