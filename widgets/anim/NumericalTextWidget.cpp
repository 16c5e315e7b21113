#include "widgets/anim/NumericalTextWidget.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/expr/FieldRegistry.h"
#include "core/expr/LiveObjectRegistry.h"
#include "core/util/Log.h"
#include "core/util/StringUtil.h"
#include "graphics/Graphics.h"
#include "graphics/fonts/Font.h"
#include "graphics/fonts/Fonts.h"
#include "widgets/WidgetHost.h"
#include "widgets/anim/AnimationWidget.h"
#include "widgets/anim/OverbrightPasses.h"

NumericalTextWidget::Binding NumericalTextWidget::Binding::Variable(AnimationWidget* host,
                                                                    const std::string& name) {
    Binding binding;
    binding.mKind = Kind::kVariable;
    binding.mHostId =
        host != nullptr ? LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, host) : 0;
    binding.mName = name;
    return binding;
}

NumericalTextWidget::Binding NumericalTextWidget::Binding::Handle(int32_t handle) {
    Binding binding;
    binding.mKind = Kind::kHandle;
    binding.mHandle = handle;
    return binding;
}

NumericalTextWidget::Binding NumericalTextWidget::Binding::Fixed(int value) {
    Binding binding;
    binding.mValue = value;
    return binding;
}

bool NumericalTextWidget::Binding::Read(int* out) const {
    switch (mKind) {
        case Kind::kFixed:
            *out = mValue;
            return true;
        case Kind::kVariable: {
            auto* host = dynamic_cast<AnimationWidget*>(LiveObjectRegistry::ResolveWidget(mHostId));
            const ExprValue* value = host != nullptr ? host->GetVariables().Find(mName) : nullptr;
            if (value == nullptr) {
                return false;
            }
            *out = value->AsInt();
            return true;
        }
        case Kind::kHandle:
            if (const int32_t* field = FieldRegistry::GetInt(mHandle)) {
                *out = *field;
                return true;
            }
            if (const float* field = FieldRegistry::GetFloat(mHandle)) {
                *out = static_cast<int>(*field);
                return true;
            }
            return false;
    }
    return false;
}

NumericalTextWidget::NumericalTextWidget(int x, int y, int justification,
                                         const std::string& fontName, const std::string& format,
                                         int step, int ticksPerStep, Binding bound)
    : DynamicWidget(x, y, nullptr, 1.0f),
      mFormat(format),
      mFont(Fonts::Find(fontName)),
      mJustification(justification),
      mBound(std::move(bound)),
      mStep(step),
      mTicksPerStep(ticksPerStep) {
    mBound.Read(&mDisplayed);
    FormatText();
    mHeight = mFont != nullptr ? mFont->GetHeight() : 0;
}

NumericalTextWidget::~NumericalTextWidget() = default;

void NumericalTextWidget::SetSounds(int upSound, int downSound) {
    mUpSound = upSound;
    mDownSound = downSound;
}

void NumericalTextWidget::FormatText() {
    bool ok = false;
    std::string text = CheckedFormat(mFormat, {mDisplayed}, &ok);
    if (!ok) {
        // A broken template is the data's fault: say so once and show the bare number.
        if (!mFormatErrorLogged) {
            LogWarning("Counter format: %s", text.c_str());
            mFormatErrorLogged = true;
        }
        text = std::to_string(mDisplayed);
    }
    mText = std::move(text);
    if (mFont != nullptr) {
        mWidth = mFont->StringWidth(mText);
    }
}

void NumericalTextWidget::Update() {
    DynamicWidget::Update();
    if (++mTickCounter < mTicksPerStep) {
        return;
    }
    mTickCounter = 0;
    int target = mDisplayed;
    if (!mBound.Read(&target)) {
        mChanging = false;
        return;
    }
    mChanging = target != mDisplayed;
    if (!mChanging) {
        return;
    }
    if (mStep <= 0) {
        mDisplayed = target;
    } else {
        // 64-bit: the gap between two ints may not fit in one.
        const long long gap = std::llabs(static_cast<long long>(target) - mDisplayed);
        long long step = mStep;
        long long q = gap / step;
        while (q >= 100) {
            q /= 10;
            step *= 10;
        }
        int sound = -1;
        if (target > mDisplayed) {
            mDisplayed = static_cast<int>(std::min<long long>(mDisplayed + step, target));
            sound = mUpSound;
        } else {
            mDisplayed = static_cast<int>(std::max<long long>(mDisplayed - step, target));
            sound = mDownSound;
        }
        WidgetHost* host = GetWidgetHost();
        if (sound >= 0 && host != nullptr) {
            host->PlaySoundEffect(sound, -1, 1.0);
        }
    }
    FormatText();
    MarkDirty();
}

void NumericalTextWidget::Draw(Graphics* g) {
    if (mFont == nullptr || mText.empty()) {
        return;
    }
    g->SetFont(mFont);
    const float baseline = static_cast<float>(static_cast<int>(mFont->GetAscent()));
    DrawOverbrightPasses(g, mRed * mOpacity, mGreen * mOpacity, mBlue * mOpacity, mAlpha * mOpacity,
                         nullptr, true,
                         // Justified about x = 0: left starts there, centre is centred on it
                         // and right ends there.
                         [&] { g->WriteString(mText, 0.0f, baseline, 0, mJustification); });
}

const PropertyTable& NumericalTextWidget::Properties() {
    static const PropertyTable table(
        &DynamicWidget::Properties(),
        {
            PropertyEntry{"value", nullptr,
                          [](const DynamicWidget& w) {
                              return ExprValue::FromInt(
                                  static_cast<const NumericalTextWidget&>(w).GetDisplayed());
                          }},
            PropertyEntry{"text", nullptr,
                          [](const DynamicWidget& w) {
                              return ExprValue::FromString(
                                  static_cast<const NumericalTextWidget&>(w).GetText());
                          }},
            PropertyEntry{"counting", nullptr,
                          [](const DynamicWidget& w) {
                              return ExprValue::FromBool(
                                  static_cast<const NumericalTextWidget&>(w).IsChanging());
                          }},
        });
    return table;
}

const PropertyTable& NumericalTextWidget::GetPropertyTable() const {
    return Properties();
}
