// The target, hierarchy, flag and layer commands: "show", "hide", "enable", "disable", "remove",
// "remove-children", "set-depth", "bring-to-front", "bring-to-back", "when-done", the flag
// commands ("update", "allow-mouse", "batch", "batch-by-depth", "crossfade"), "mouse-visible",
// "set-layer", "push-layer", "pop-layer", "put-in-front", "put-behind", "attach", "merge",
// "get-point", "pick", "define-in", "assign-in", "undefine-in", "unassign-in" and "play-in".
// Each acts on the object named by "id", else on the scripted widget itself.

#include <algorithm>
#include <cmath>
#include <memory>

#include "core/util/Log.h"
#include "core/util/Random.h"
#include "graphics/Graphics.h"
#include "graphics/ImageSurface.h"
#include "widgets/script/AnimationTable.h"
#include "widgets/script/ScriptCommands.h"

namespace {

using Outcome = ScriptContext::Outcome;

DynamicWidget& TargetOf(ScriptContext& c) {
    return c.Target() != nullptr ? *c.Target() : c.Host();
}

FPoint AbsoluteOrigin(const WidgetContainer* container) {
    const FRect at = container->LocalToGlobalRect(FRect(0.0f, 0.0f, 0.0f, 0.0f));
    return FPoint(at.mX, at.mY);
}

Outcome Show(ScriptContext& c) {
    TargetOf(c).SetVisible(true);
    return ScriptContext::kDone;
}

Outcome Hide(ScriptContext& c) {
    TargetOf(c).SetVisible(false);
    return ScriptContext::kDone;
}

Outcome Enable(ScriptContext& c) {
    TargetOf(c).SetDisabled(false);
    return ScriptContext::kDone;
}

Outcome Disable(ScriptContext& c) {
    TargetOf(c).SetDisabled(true);
    return ScriptContext::kDone;
}

Outcome Remove(ScriptContext& c) {
    TargetOf(c).MarkForRemoval();
    return ScriptContext::kDone;
}

Outcome RemoveChildren(ScriptContext& c) {
    TargetOf(c).RemoveAllWidgets(true, true);
    return ScriptContext::kDone;
}

Outcome SetDepth(ScriptContext& c) {
    DynamicWidget& target = TargetOf(c);
    target.mZOrder = c.Params().GetInt("depth");
    if (WidgetContainer* parent = target.GetParent()) {
        parent->SortChildren();
    }
    return ScriptContext::kDone;
}

Outcome BringToFront(ScriptContext& c) {
    DynamicWidget& target = TargetOf(c);
    if (WidgetContainer* parent = target.GetParent()) {
        parent->MoveChildToEnd(&target);
    }
    return ScriptContext::kDone;
}

Outcome BringToBack(ScriptContext& c) {
    DynamicWidget& target = TargetOf(c);
    if (WidgetContainer* parent = target.GetParent()) {
        parent->MoveChildToStart(&target);
    }
    return ScriptContext::kDone;
}

Outcome WhenDone(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    DynamicWidget& target = TargetOf(c);
    if (p.Has("hide")) {
        target.SetHideWhenDone(p.GetBool("hide"));
    }
    if (p.Has("stop_crossfading")) {
        target.SetClearFlagWhenDone(p.GetBool("stop_crossfading"));
    }
    if (p.Has("stop_recursion")) {
        target.SetResetEffectsWhenDone(p.GetBool("stop_recursion"));
    }
    if (p.Has("remove")) {
        target.SetRemoveWhenDone(p.GetBool("remove"));
    }
    return ScriptContext::kDone;
}

template <uint32_t kBit>
Outcome FlagCommand(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    DynamicWidget& target = TargetOf(c);
    if (p.Has("enable")) {
        target.mFlagsAdd =
            p.GetBool("enable") ? (target.mFlagsAdd | kBit) : (target.mFlagsAdd & ~kBit);
    }
    if (p.Has("disable")) {
        target.mFlagsRemove =
            p.GetBool("disable") ? (target.mFlagsRemove | kBit) : (target.mFlagsRemove & ~kBit);
    }
    target.MarkDirty();
    return ScriptContext::kDone;
}

Outcome MouseVisible(ScriptContext& c) {
    TargetOf(c).mMouseVisible = c.Params().GetBoolOr("enable", true);
    return ScriptContext::kDone;
}

Outcome SetLayer(ScriptContext& c) {
    c.Host().SetLayer(&TargetOf(c));
    return ScriptContext::kDone;
}

Outcome PushLayer(ScriptContext& c) {
    c.Host().PushLayer();
    return ScriptContext::kDone;
}

Outcome PopLayer(ScriptContext& c) {
    c.Host().PopLayer();
    return ScriptContext::kDone;
}

template <bool kInFront>
Outcome PutRelative(ScriptContext& c) {
    Widget* first = c.Params().GetObject("id1");
    Widget* second = c.Params().GetObject("id2");
    if (first == nullptr || second == nullptr) {
        return ScriptContext::kDone;
    }
    WidgetContainer* layer = c.Host().GetLayer();
    if (kInFront) {
        layer->MoveChildAfter(first, second);
    } else {
        layer->MoveChildBefore(first, second);
    }
    return ScriptContext::kDone;
}

Outcome Attach(ScriptContext& c) {
    DynamicWidget& target = TargetOf(c);
    Widget* to = c.Params().GetObject("to");
    WidgetContainer* from = target.GetParent();
    if (to == nullptr) {
        return ScriptContext::kDone;
    }
    // Into itself or into its own subtree the target would leave the tree with all it holds.
    for (const WidgetContainer* at = to; at != nullptr; at = at->GetParent()) {
        if (at == &target) {
            LogWarning(
                "Script '%s': \"attach\" of '%s' into itself or one of its children; "
                "skipped",
                c.Host().ScriptNameOf(c.Command()).c_str(), target.mScriptName.c_str());
            return ScriptContext::kDone;
        }
    }
    const FPoint oldOrigin = from != nullptr ? AbsoluteOrigin(from) : FPoint(0.0f, 0.0f);
    const FPoint newOrigin = AbsoluteOrigin(to);
    // Kept alive and, for a scripted widget, kept running: the move is not an end of its script.
    if (from != nullptr) {
        target.RemoveKeepAlive();
        target.mRemoved = false;
    }
    AnimationWidget& host = c.Host();
    if (&target == &host) {
        // The scripted widget is not a named object of its own: it only changes parents.
        to->AddWidget(&host);
    } else {
        const WidgetContainer* keptLayer = host.GetLayer();
        host.SetLayer(to);
        host.RegisterObject(c.Params().FindText("id"), &target);
        host.SetLayer(const_cast<WidgetContainer*>(keptLayer));
    }
    target.OffsetNamedFloats("x", "y", oldOrigin.mX - newOrigin.mX, oldOrigin.mY - newOrigin.mY);
    return ScriptContext::kDone;
}

Outcome Merge(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    DynamicWidget& target = TargetOf(c);
    auto* other = dynamic_cast<DynamicWidget*>(p.GetObject("with"));
    if (other == nullptr || other == &target) {
        return ScriptContext::kDone;
    }
    const FPoint targetAt = AbsoluteOrigin(&target);
    const FPoint otherAt = AbsoluteOrigin(other);
    int dx = static_cast<int>(std::lround(targetAt.mX - otherAt.mX));
    int dy = static_cast<int>(std::lround(targetAt.mY - otherAt.mY));
    const Rect mine(dx, dy, target.mWidth, target.mHeight);
    const Rect theirs(0, 0, other->mWidth, other->mHeight);
    if (p.GetBool("expand")) {
        const int left = std::min(mine.mX, theirs.mX);
        const int top = std::min(mine.mY, theirs.mY);
        const int right = std::max(mine.mX + mine.mWidth, theirs.mX + theirs.mWidth);
        const int bottom = std::max(mine.mY + mine.mHeight, theirs.mY + theirs.mHeight);
        if (left != 0 || top != 0 || right != theirs.mWidth || bottom != theirs.mHeight) {
            auto grown = std::make_unique<ImageSurface>();
            grown->Create(right - left, bottom - top);
            if (Image* old = other->GetImage()) {
                Graphics g(grown.get());
                g.DrawImage(old, static_cast<float>(-left), static_cast<float>(-top),
                            other->mFrames.mFrame);
            }
            other->SetOwnImageCopy(std::move(grown));
            other->OffsetNamedFloats("x", "y", static_cast<float>(left), static_cast<float>(top));
            for (Widget* child : std::vector<Widget*>(other->GetChildren())) {
                child->Move(child->mX - static_cast<float>(left),
                            child->mY - static_cast<float>(top));
            }
            dx -= left;
            dy -= top;
        }
    }
    if (ImageSurface* surface = other->GetOwnImageSurface()) {
        Graphics g(surface);
        g.Translate(static_cast<float>(dx), static_cast<float>(dy));
        WidgetFlagState state;
        target.DrawAll(state, &g);
        other->MarkDirty();
    }
    if (p.GetBoolOr("remove", true)) {
        target.MarkForRemoval();
    }
    return ScriptContext::kDone;
}

// A random point of the target's rectangle that the target contains, within tries attempts.
bool RandomPointIn(const DynamicWidget& target, int tries, int* x, int* y) {
    const Rect rect = target.GetLocalRect();
    for (int i = 0; i < tries; ++i) {
        const int px = rect.mX + Rand(rect.mWidth);
        const int py = rect.mY + Rand(rect.mHeight);
        if (target.Contains(static_cast<float>(px), static_cast<float>(py))) {
            *x = px;
            *y = py;
            return true;
        }
    }
    return false;
}

Outcome GetPoint(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    int x = 0;
    int y = 0;
    const bool found = RandomPointIn(TargetOf(c), p.GetIntOr("tries", 100), &x, &y);
    if (found) {
        if (p.Has("x")) {
            c.Vars().Set(p.FindText("x"), ExprValue::FromInt(x));
        }
        if (p.Has("y")) {
            c.Vars().Set(p.FindText("y"), ExprValue::FromInt(y));
        }
    }
    if (p.Has("found")) {
        c.Vars().Set(p.FindText("found"), ExprValue::FromBool(found));
    }
    return ScriptContext::kDone;
}

Outcome Pick(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    DynamicWidget& source = TargetOf(c);
    Widget* into = p.Has("target") ? p.GetObject("target") : &source;
    const std::string animation = p.GetString("animation");
    if (into == nullptr || !AnimationTable::Get().Contains(animation)) {
        return ScriptContext::kDone;
    }
    const FPoint sourceAt = AbsoluteOrigin(&source);
    const FPoint intoAt = AbsoluteOrigin(into);
    const float offsetX = sourceAt.mX - intoAt.mX;
    const float offsetY = sourceAt.mY - intoAt.mY;
    const int points = p.GetIntOr("points", 1);
    const int tries = p.GetIntOr("tries", 100);
    for (int i = 0; i < points; ++i) {
        int x = 0;
        int y = 0;
        if (!RandomPointIn(source, tries, &x, &y)) {
            continue;
        }
        // The picked widget goes when its script ends; nothing else would ever remove it.
        auto* spawned =
            new AnimationWidget(animation, static_cast<int>(static_cast<float>(x) + offsetX),
                                static_cast<int>(static_cast<float>(y) + offsetY), true);
        into->AddWidget(spawned);
    }
    return ScriptContext::kDone;
}

AnimationWidget* ScriptedTarget(ScriptContext& c) {
    return dynamic_cast<AnimationWidget*>(&TargetOf(c));
}

Outcome DefineIn(ScriptContext& c) {
    if (AnimationWidget* target = ScriptedTarget(c)) {
        for (const auto& [name, text] : c.Command().mParams) {
            (void)text;
            if (name != "id") {
                target->GetVariables().Set(name, c.Params().Eval(name));
            }
        }
    }
    return ScriptContext::kDone;
}

Outcome AssignIn(ScriptContext& c) {
    if (AnimationWidget* target = ScriptedTarget(c)) {
        target->GetVariables().Set(c.Params().GetString("name"), c.Params().Eval("value"));
    }
    return ScriptContext::kDone;
}

Outcome UndefineIn(ScriptContext& c) {
    if (AnimationWidget* target = ScriptedTarget(c)) {
        target->GetVariables().Erase(c.Params().FindText("name"));
    }
    return ScriptContext::kDone;
}

Outcome UnassignIn(ScriptContext& c) {
    if (AnimationWidget* target = ScriptedTarget(c)) {
        target->GetVariables().Erase(c.Params().GetString("name"));
    }
    return ScriptContext::kDone;
}

Outcome PlayIn(ScriptContext& c) {
    if (AnimationWidget* target = ScriptedTarget(c)) {
        for (const auto& [name, text] : c.Command().mParams) {
            (void)text;
            if (name != "id" && name != "animation") {
                target->GetVariables().Set(name, c.Params().Eval(name));
            }
        }
        target->PlayAnimationRef(c.Params().GetString("animation"));
    }
    return ScriptContext::kDone;
}

}  // namespace

void RegisterTargetCommands(CommandTable& table) {
    // The commands that act on the host without "id" are in both tables.
    const std::pair<const char*, CommandHandler> both[] = {
        {"show", Show},
        {"hide", Hide},
        {"enable", Enable},
        {"disable", Disable},
        {"remove", Remove},
        {"remove-children", RemoveChildren},
        {"set-depth", SetDepth},
        {"bring-to-front", BringToFront},
        {"bring-to-back", BringToBack},
        {"when-done", WhenDone},
        {"update", FlagCommand<widgetflags::kUpdate>},
        {"allow-mouse", FlagCommand<widgetflags::kMouse>},
        {"batch", FlagCommand<widgetflags::kBatch>},
        {"batch-by-depth", FlagCommand<widgetflags::kBatchPriority>},
        {"crossfade", FlagCommand<widgetflags::kLayered>},
        {"mouse-visible", MouseVisible},
        {"set-layer", SetLayer},
        {"merge", Merge},
        {"get-point", GetPoint},
        {"pick", Pick},
        {"attach", Attach},
        {"define-in", DefineIn},
        {"assign-in", AssignIn},
        {"undefine-in", UndefineIn},
        {"unassign-in", UnassignIn},
        {"play-in", PlayIn},
    };
    for (const auto& [word, handler] : both) {
        table.general[word] = handler;
        table.object[word] = handler;
    }
    table.general["push-layer"] = PushLayer;
    table.general["pop-layer"] = PopLayer;
    table.general["put-in-front"] = PutRelative<true>;
    table.general["put-behind"] = PutRelative<false>;
}
