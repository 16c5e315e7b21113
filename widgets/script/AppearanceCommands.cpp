// The appearance, frame and shader commands: "rotation-axis", "set-center", "flip", "blend",
// "cull", "tesselate", "tile-texture", "shader", "set-shader-constant", "circle", "shear",
// "flash", "set-frame", "fade-to-frame", "cycle", "cycle-mask", "set-mask", "set-mask-frame",
// "mask-rect", "recursive", "resize", "replace", "child-image", "cache", "check-pixels",
// "use-hand-cursor", "set-draggable" and "set-drag-through". Each acts on the object named by
// "id", else on the scripted widget itself.

#include <memory>

#include "graphics/Image.h"
#include "graphics/ImageSurface.h"
#include "graphics/ShaderEffect.h"
#include "widgets/anim/DragWidget.h"
#include "widgets/anim/EasingCurveFactory.h"
#include "widgets/script/ScriptCommands.h"
#include "widgets/script/ScriptText.h"

namespace {

using Outcome = ScriptContext::Outcome;

DynamicWidget& TargetOf(ScriptContext& c) {
    return c.Target() != nullptr ? *c.Target() : c.Host();
}

Outcome RotationAxis(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    TargetOf(c).SetRotationAxis(p.GetFloat("x"), p.GetFloat("y"), p.GetFloat("z"));
    return ScriptContext::kDone;
}

Outcome SetCenter(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    TargetOf(c).SetCenter(p.GetFloatOr("x", kNotGiven), p.GetFloatOr("y", kNotGiven),
                          p.GetFloatOr("z", kNotGiven));
    return ScriptContext::kDone;
}

Outcome Flip(ScriptContext& c) {
    TargetOf(c).Flip(c.Params().GetString("dir") == "vertical");
    return ScriptContext::kDone;
}

Outcome Blend(ScriptContext& c) {
    const std::string mode = c.Params().Has("mode") ? c.Params().GetString("mode") : "";
    int code = 0;
    if (mode == "additive")
        code = 1;
    else if (mode == "multiply")
        code = 2;
    else if (mode == "overlay")
        code = 3;
    else if (mode == "softlight")
        code = 4;
    else if (mode == "subtractive")
        code = 5;
    else if (mode == "none")
        code = 10;
    DynamicWidget& target = TargetOf(c);
    target.SetBlendMode(code);
    target.MarkDirty();
    return ScriptContext::kDone;
}

Outcome Cull(ScriptContext& c) {
    DynamicWidget& target = TargetOf(c);
    target.SetCulling(c.Params().GetBoolOr("enable", true));
    target.MarkDirty();
    return ScriptContext::kDone;
}

Outcome Tesselate(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    DynamicWidget& target = TargetOf(c);
    const int rows = p.GetIntOr("rows", 1);
    const int cols = p.GetIntOr("cols", 1);
    target.SetTessellation(cols, rows);
    Image* image = target.GetImage();
    ImageSurface* surface = image != nullptr ? image->GetBaseSurface() : nullptr;
    if (surface != nullptr && (surface->GetFlags() & ImageSurface::kSurfaceTessellate) == 0) {
        if (surface->GetCelCount() > 1) {
            surface->DeleteTextureData();
        }
        surface->SetFlags(surface->GetFlags() | ImageSurface::kSurfaceTessellate);
    }
    return ScriptContext::kDone;
}

Outcome TileTexture(ScriptContext& c) {
    DynamicWidget& target = TargetOf(c);
    Image* image = target.GetImage();
    if (image == nullptr) {
        return ScriptContext::kDone;
    }
    if (ImageSurface* surface = image->GetBaseSurface()) {
        surface->SetFlags(surface->GetFlags() | ImageSurface::kSurfaceWrap);
    }
    target.SetTextureWrap(c.Params().GetBool("enable"));
    return ScriptContext::kDone;
}

Outcome Shader(ScriptContext& c) {
    TargetOf(c).SetShader(LoadShaderEffect(c.Params().GetString("name")));
    return ScriptContext::kDone;
}

// "real_ptr" feeds a field to the constant at every draw; "real" sets the constant once, on an
// attached effect only.
Outcome SetShaderConstant(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    DynamicWidget& target = TargetOf(c);
    const std::string name = p.GetString("name");
    if (p.Has("real_ptr")) {
        target.SetShaderConstantSource(name, p.GetInt("real_ptr"));
    } else if (p.Has("real") && target.GetShader() != nullptr) {
        target.GetShader()->SetConstants(name, p.GetFloat("real"));
    }
    return ScriptContext::kDone;
}

Outcome Circle(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    DynamicWidget& target = TargetOf(c);
    target.CircleTo(NameParam(p, "controller"), p.GetInt("x"), p.GetInt("y"), p.GetFloat("angle"),
                    p.GetFloat("time"), MakeEasingCurve(CurveText(c, "curve"), &p, &c.Vars()),
                    kChangedPosition);
    return ScriptContext::kDone;
}

Outcome Shear(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    DynamicWidget& target = TargetOf(c);
    const float halfW = static_cast<float>(target.mWidth) * 0.5f;
    const float halfH = static_cast<float>(target.mHeight) * 0.5f;
    float offsetX = 0.0f;
    if (p.Has("x_offset")) {
        offsetX = p.GetFloat("x_offset") - halfW;
    } else {
        const std::string align = p.GetString("align");
        offsetX = align == "left" ? -halfW : (align == "right" ? halfW : 0.0f);
    }
    float offsetY = 0.0f;
    if (p.Has("y_offset")) {
        offsetY = p.GetFloat("y_offset") - halfH;
    } else {
        const std::string valign = p.GetString("valign");
        offsetY = valign == "top" ? -halfH : (valign == "bottom" ? halfH : 0.0f);
    }
    float x = p.GetFloatOr("x", kNotGiven);
    float y = p.GetFloatOr("y", kNotGiven);
    if (IsNotGiven(x)) {
        x = target.mShearX;
    }
    if (IsNotGiven(y)) {
        y = target.mShearY;
    }
    target.ShearTo(NameParam(p, "controller"), x, y, offsetX, offsetY, p.GetFloatOr("speed", -1.0f),
                   p.GetFloat("accel"), p.GetFloatOr("decay", 1.0f));
    return ScriptContext::kDone;
}

Outcome Flash(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    DynamicWidget& target = TargetOf(c);
    const int interval = p.GetInt("interval");
    const int start = p.GetIntOr("timer_init", -20);
    target.mBlinkCounter = start;
    target.mBlinkPeriod = interval * 2;
    target.mBlinksLeft = p.GetInt("cycles");
    target.SetVisible(interval == 0 || (start >= 0 && start < interval));
    return ScriptContext::kDone;
}

Outcome SetFrame(ScriptContext& c) {
    TargetOf(c).SetFrame(c.Params().GetInt("frame"));
    return ScriptContext::kDone;
}

Outcome FadeToFrame(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    DynamicWidget& target = TargetOf(c);
    const int frame = p.GetInt("frame");
    if (frame != target.mFrames.mFrame) {
        target.FadeToFrame(frame, p.GetFloatOr("time", 20.0f));
    }
    return ScriptContext::kDone;
}

int DirectionCode(const std::string& word) {
    if (word == "back")
        return FrameSequence::kBackward;
    if (word == "both")
        return FrameSequence::kPingPong;
    if (word == "random")
        return FrameSequence::kRandom;
    return FrameSequence::kForward;
}

// Starts cycling of sequence over image's frames (the image may be null: no frames to count).
void StartCycle(ScriptContext& c, DynamicWidget& target, FrameSequence& sequence,
                const Image* image, bool withList) {
    const ScriptParams& p = c.Params();
    sequence.mMode = DirectionCode(p.Has("dir") ? p.GetString("dir") : "");
    sequence.mStep = sequence.mMode == FrameSequence::kBackward ? -1 : 1;
    sequence.mList.clear();
    sequence.mIndex = 0;
    if (withList && p.Has("sequence")) {
        for (const ExprValue& value : p.GetValueList("sequence")) {
            sequence.mList.push_back(value.AsInt());
        }
    }
    sequence.mCrossfadeTime = withList ? p.GetFloat("crossfade") : 0.0f;
    sequence.mTimer = withList ? p.GetFloat("timer") : 0.0f;
    sequence.mMin = p.GetInt("min");
    int max = p.GetIntOr("max", -1);
    if (max < 0) {
        max += image != nullptr ? image->GetCelCount() : 1;
    }
    sequence.mMax = max;
    sequence.NormaliseRange();
    sequence.mRepeats = p.GetInt("cycles");
    sequence.mFrameTime = p.GetFloat("rate");
    target.MarkDirty();
}

Outcome Cycle(ScriptContext& c) {
    DynamicWidget& target = TargetOf(c);
    if (c.Params().Has("frame")) {
        target.SetFrame(c.Params().GetInt("frame"));
    }
    StartCycle(c, target, target.mFrames, target.GetImage(), true);
    return ScriptContext::kDone;
}

Outcome CycleMask(ScriptContext& c) {
    DynamicWidget& target = TargetOf(c);
    if (c.Params().Has("frame")) {
        target.SetMaskFrame(c.Params().GetInt("frame"));
    }
    StartCycle(c, target, target.mMaskFrames, target.GetMask(), false);
    return ScriptContext::kDone;
}

Outcome SetMask(ScriptContext& c) {
    DynamicWidget& target = TargetOf(c);
    target.SetMask(c.Params().Has("image") ? c.Host().GetParamImage("image") : nullptr);
    target.MarkDirty();
    return ScriptContext::kDone;
}

Outcome SetMaskFrame(ScriptContext& c) {
    TargetOf(c).SetMaskFrame(c.Params().GetInt("frame"));
    return ScriptContext::kDone;
}

Outcome MaskRect(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    DynamicWidget& target = TargetOf(c);
    if (!p.GetBoolOr("enable", true)) {
        target.ClearMaskRect();
        return ScriptContext::kDone;
    }
    target.SetMaskRect(FRect(static_cast<float>(p.GetInt("x")), static_cast<float>(p.GetInt("y")),
                             static_cast<float>(p.GetInt("width")),
                             static_cast<float>(p.GetInt("height"))));
    return ScriptContext::kDone;
}

Outcome Recursive(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    DynamicWidget& target = TargetOf(c);
    if (p.Has("transform")) {
        target.SetTransformMode(p.GetBool("transform"));
    }
    if (p.Has("color")) {
        const std::string mode = p.GetString("color");
        target.SetDrawMode(mode == "inherit"      ? DynamicWidget::kDrawInherit
                           : mode == "postrender" ? DynamicWidget::kDrawPostrender
                                                  : DynamicWidget::kDrawOwn);
    }
    if (p.Has("clipping")) {
        target.SetClipping(p.GetBool("clipping"));
    }
    return ScriptContext::kDone;
}

Outcome ResizeCommand(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    DynamicWidget& target = TargetOf(c);
    target.Resize(target.mX, target.mY, p.GetIntOr("width", target.mWidth),
                  p.GetIntOr("height", target.mHeight));
    target.MarkDirty();
    return ScriptContext::kDone;
}

Outcome Replace(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    DynamicWidget& target = TargetOf(c);
    if (p.Has("image")) {
        target.SetImage(c.Host().GetParamImage("image"));
        return ScriptContext::kDone;
    }
    if (p.Has("width") && p.Has("height")) {
        const int width = p.GetInt("width");
        const int height = p.GetInt("height");
        if (width <= 0 || height <= 0) {
            return ScriptContext::kDone;
        }
        auto surface = std::make_unique<ImageSurface>();
        surface->Create(width, height);
        surface->Fill(ColorParams(p, Color(0, 0, 0, 255)));
        target.SetOwnImageCopy(std::move(surface));
    }
    return ScriptContext::kDone;
}

Outcome ChildImage(ScriptContext& c) {
    DynamicWidget& target = TargetOf(c);
    Image* source = c.Params().Has("image") ? c.Host().GetParamImage("image") : target.GetImage();
    if (source != nullptr) {
        target.SetOwnImageCopy(source->CreateChild());
    }
    return ScriptContext::kDone;
}

Outcome Cache(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    TargetOf(c).SetCache(p.GetBool("enable"), p.GetBoolOr("immediate", true));
    return ScriptContext::kDone;
}

Outcome CheckPixels(ScriptContext& c) {
    TargetOf(c).SetCheckPixels(c.Params().GetBool("enable"));
    return ScriptContext::kDone;
}

Outcome UseHandCursor(ScriptContext& c) {
    TargetOf(c).mHandCursor = c.Params().GetBool("enable");
    return ScriptContext::kDone;
}

Outcome SetDraggable(ScriptContext& c) {
    if (auto* drag = dynamic_cast<DragWidget*>(&TargetOf(c))) {
        drag->SetDraggable(c.Params().GetBoolOr("enable", true), true);
    }
    return ScriptContext::kDone;
}

Outcome SetDragThrough(ScriptContext& c) {
    if (auto* drag = dynamic_cast<DragWidget*>(&TargetOf(c))) {
        drag->SetPushesParent(c.Params().GetBoolOr("enable", true));
    }
    return ScriptContext::kDone;
}

}  // namespace

void RegisterAppearanceCommands(CommandTable& table) {
    const std::pair<const char*, CommandHandler> commands[] = {
        {"rotation-axis", RotationAxis},
        {"set-center", SetCenter},
        {"flip", Flip},
        {"blend", Blend},
        {"cull", Cull},
        {"tesselate", Tesselate},
        {"tile-texture", TileTexture},
        {"shader", Shader},
        {"set-shader-constant", SetShaderConstant},
        {"circle", Circle},
        {"shear", Shear},
        {"flash", Flash},
        {"set-frame", SetFrame},
        {"fade-to-frame", FadeToFrame},
        {"cycle", Cycle},
        {"cycle-mask", CycleMask},
        {"set-mask", SetMask},
        {"set-mask-frame", SetMaskFrame},
        {"mask-rect", MaskRect},
        {"recursive", Recursive},
        {"resize", ResizeCommand},
        {"replace", Replace},
        {"child-image", ChildImage},
        {"cache", Cache},
        {"check-pixels", CheckPixels},
        {"use-hand-cursor", UseHandCursor},
        {"set-draggable", SetDraggable},
        {"set-drag-through", SetDragThrough},
    };
    for (const auto& [word, handler] : commands) {
        table.general[word] = handler;
        table.object[word] = handler;
    }
}
