// The commands that add child widgets: "add" (a drag widget, a scripted or plain image, a drawn
// text box, a nine-piece label box, a counting number, a movie),
// "add-button", "add-label" and "add-rect". Each new widget is placed in the current layer and,
// with "id", registered under that name.

#include <algorithm>
#include <memory>

#include "core/expr/LiveObjectRegistry.h"
#include "core/util/Log.h"
#include "graphics/Graphics.h"
#include "graphics/ImageSurface.h"
#include "graphics/fonts/Font.h"
#include "graphics/fonts/Fonts.h"
#include "widgets/NameLookups.h"
#include "widgets/anim/DragWidget.h"
#include "widgets/anim/ExpressionTextWidget.h"
#include "widgets/anim/NumericalTextWidget.h"
#include "widgets/anim/RectWidget.h"
#include "widgets/anim/TextLabel.h"
#include "widgets/controls/ButtonWidget.h"
#include "widgets/controls/DragButton.h"
#include "widgets/controls/FlashWidget.h"
#include "widgets/controls/MoviePlayer.h"
#include "widgets/script/ButtonConfig.h"
#include "widgets/script/ScriptCommands.h"
#include "widgets/script/ScriptText.h"

namespace {

using Outcome = ScriptContext::Outcome;

// The widest a text box may grow while its text does not fit its room.
constexpr int kMaxTextBoxWrap = 8192;

// Registers the widget under "id", or places it in the current layer unnamed; either way the
// host hears of its removal and of its pointer events.
void Place(ScriptContext& c, DynamicWidget* widget) {
    AnimationWidget& host = c.Host();
    if (c.Params().Has("id")) {
        host.RegisterObject(c.Params().FindText("id"), widget);
        return;
    }
    if (widget->GetButtonListener() == nullptr) {
        widget->SetButtonListener(&host);
    }
    c.RecordObject("", widget);
    host.GetLayer()->AddWidget(widget);
}

// "depth" (kept when absent) and "z".
void ApplyDepth(ScriptContext& c, DynamicWidget* widget) {
    const ScriptParams& p = c.Params();
    if (p.Has("depth")) {
        widget->mZOrder = p.GetInt("depth");
    }
    if (p.Has("z")) {
        widget->mZ = p.GetFloat("z");
    }
}

// "depth" and "opacity", each kept when absent.
void ApplyDepthAndOpacity(const ScriptParams& p, DynamicWidget* widget) {
    if (p.Has("depth")) {
        widget->mZOrder = p.GetInt("depth");
    }
    if (p.Has("opacity")) {
        widget->mOpacity = p.GetFloat("opacity");
    }
}

// With "align" or "valign": moves the widget to ("x", "y") less the alignment shift.
void ApplyAlign(ScriptContext& c, DynamicWidget* widget) {
    const ScriptParams& p = c.Params();
    if (!p.Has("align") && !p.Has("valign")) {
        return;
    }
    const int x = p.GetInt("x") - AlignShift(TextParam(p, "align"), widget->mWidth);
    const int y = p.GetInt("y") - AlignShift(TextParam(p, "valign"), widget->mHeight);
    widget->Move(static_cast<float>(x), static_cast<float>(y));
}

void Finish(ScriptContext& c, DynamicWidget* widget) {
    ApplyDepth(c, widget);
    ApplyAlign(c, widget);
    Place(c, widget);
}

int BoundaryCode(const std::string& word) {
    if (word == "inner")
        return DragWidget::kBumpInner;
    if (word == "outer")
        return DragWidget::kBumpOuter;
    return DragWidget::kBumpNone;
}

Outcome AddDraggable(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    auto* drag =
        new DragWidget(p.GetInt("x"), p.GetInt("y"), c.Host().GetParamImage("image"),
                       p.GetFloatOr("opacity", 1.0f), BoundaryCode(TextParam(p, "boundary")),
                       p.GetIntOr("boundary_x", -1), p.GetIntOr("boundary_y", -1),
                       p.GetIntOr("boundary_width", -1), p.GetIntOr("boundary_height", -1));
    drag->SetDraggable(p.GetBoolOr("draggable", false), false);
    drag->SetPushesParent(p.GetBoolOr("drag_through", false));
    drag->mMomentum = p.GetBoolOr("momentum", true);
    drag->mFlingable = p.GetBoolOr("flingable", false);
    drag->mCanDragPastX = p.GetBoolOr("can_drag_past_boundary_x", false);
    drag->mCanDragPastY = p.GetBoolOr("can_drag_past_boundary_y", false);
    if (p.Has("width") || p.Has("height")) {
        drag->Resize(drag->mX, drag->mY, p.GetIntOr("width", drag->mWidth),
                     p.GetIntOr("height", drag->mHeight));
    }
    if (p.Has("animation")) {
        drag->PlayAnimationRef(p.GetString("animation"));
    }
    Finish(c, drag);
    return ScriptContext::kDone;
}

Outcome AddImage(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    Image* image = c.Host().GetParamImage("image");
    DynamicWidget* widget = nullptr;
    if (p.Has("animation")) {
        auto* scripted =
            new AnimationWidget(p.GetInt("x"), p.GetInt("y"), image, p.GetFloatOr("opacity", 1.0f));
        scripted->PlayAnimationRef(p.GetString("animation"));
        widget = scripted;
    } else {
        widget =
            new DynamicWidget(p.GetInt("x"), p.GetInt("y"), image, p.GetFloatOr("opacity", 1.0f));
    }
    Finish(c, widget);
    return ScriptContext::kDone;
}

// The image to draw a box into: a new surface of the size, or, with "to", a copy of that
// object's image (copied once, then owned by the object).
ImageSurface* BoxSurface(ScriptContext& c, int width, int height,
                         std::unique_ptr<ImageSurface>* made) {
    if (c.Params().Has("to")) {
        if (auto* to = dynamic_cast<DynamicWidget*>(c.Params().GetObject("to"))) {
            return to->GetOwnImageSurface();
        }
        return nullptr;
    }
    *made = std::make_unique<ImageSurface>();
    (*made)->Create(std::max(1, width), std::max(1, height));
    return made->get();
}

// Shows a drawn box: a DynamicWidget owning it, at ("x", "y") aligned, with "opacity".
void ShowBox(ScriptContext& c, std::unique_ptr<ImageSurface> box) {
    if (!box) {
        return;  // drawn into the "to" object's own image
    }
    const ScriptParams& p = c.Params();
    auto* widget =
        new DynamicWidget(p.GetInt("x"), p.GetInt("y"), nullptr, p.GetFloatOr("opacity", 1.0f));
    widget->SetOwnImageCopy(std::move(box));
    ApplyDepth(c, widget);
    const int x = p.GetInt("x") - AlignShift(TextParam(p, "align"), widget->mWidth);
    const int y = p.GetInt("y") - AlignShift(TextParam(p, "valign"), widget->mHeight);
    widget->Move(static_cast<float>(x), static_cast<float>(y));
    Place(c, widget);
}

// The box's text in the script's colour and "opacity", wrapped in area; area's top is where the
// first line's ascent starts.
void DrawBoxText(Graphics& g, const ScriptParams& p, Font* font, const Rect& area,
                 const std::string& text, int justification) {
    const Color color = ColorParams(p, Color(0, 0, 0, 255));
    const float opacity = p.GetFloatOr("opacity", 1.0f);
    g.SetFont(font);
    g.SetColor(Color(color.mRed, color.mGreen, color.mBlue,
                     static_cast<int>(static_cast<float>(color.mAlpha) * opacity)));
    g.DrawStringWordWrapped(
        Rect(area.mX, area.mY + static_cast<int>(font->GetAscent()), area.mWidth, area.mHeight),
        text, -1, justification);
}

int ImageWidth(const Image* image) {
    return image != nullptr ? image->GetCelWidth() : 0;
}

int ImageHeight(const Image* image) {
    return image != nullptr ? image->GetCelHeight() : 0;
}

Outcome AddTextBox(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    const std::string text = PrepareScriptText(p);
    const int justification = JustificationCode(TextParam(p, "justification"));
    const std::string caps = TextParam(p, "textends");
    Image* left = LookupAssetTableA(caps + "_left");
    Image* centre = LookupAssetTableA(caps + "_center");
    Image* right = LookupAssetTableA(caps + "_right");
    const int marginTop = p.GetInt("margin_top");
    const int marginBottom = p.GetInt("margin_bottom");
    const int marginLeft = p.GetInt("margin_left");
    const int marginRight = p.GetInt("margin_right");
    const int height = ImageHeight(centre);
    const int room = height - marginTop - marginBottom;
    Font* font = Fonts::Find(TextParam(p, "font"));

    Graphics measure(nullptr);
    measure.SetFont(font);
    int wrap = std::max(room, p.GetInt("min_width"));
    int widest = 0;
    int used = font != nullptr ? measure.GetWordWrappedHeight(wrap, text, -1, &widest) : 0;
    // Wider wrapping helps only while a single line fits the room; a room of 0 or less, or a
    // font taller than it, never fits, and the width is capped instead of growing for ever.
    const bool canFit = room > 0 && font != nullptr && font->GetHeight() <= room;
    while (used > room && canFit && wrap < kMaxTextBoxWrap) {
        wrap += 10;
        used = measure.GetWordWrappedHeight(wrap, text, -1, &widest);
    }
    if (used > room) {
        LogWarning("Text box '%s': the text does not fit its room of %d pixels (wrap width %d)",
                   caps.c_str(), room, wrap);
    }
    const int leftWidth = ImageWidth(left);
    const int rightWidth = ImageWidth(right);
    const int width = std::max(leftWidth + rightWidth, marginLeft + widest + marginRight);
    std::unique_ptr<ImageSurface> made;
    ImageSurface* surface = BoxSurface(c, width, height, &made);
    if (surface == nullptr) {
        return ScriptContext::kDone;
    }
    {
        Graphics g(surface);
        if (left != nullptr) {
            g.DrawImage(left, 0.0f, 0.0f);
        }
        if (centre != nullptr) {
            g.DrawImageStretched(centre, FRect(static_cast<float>(leftWidth), 0.0f,
                                               static_cast<float>(width - leftWidth - rightWidth),
                                               static_cast<float>(height)));
        }
        if (right != nullptr) {
            g.DrawImage(right, static_cast<float>(width - rightWidth), 0.0f);
        }
        if (font != nullptr) {
            DrawBoxText(g, p, font,
                        Rect(marginLeft, marginTop, width - marginLeft - marginRight, room), text,
                        justification);
        }
    }
    ShowBox(c, std::move(made));
    return ScriptContext::kDone;
}

// The nine pieces of a label box: "<name>_" + column (l, c, r) + row (t, c, b).
struct FramePieces {
    Image* piece[3][3] = {};  // [column][row]
    int left = 0, right = 0, top = 0, bottom = 0;
};

FramePieces LoadPieces(const std::string& name) {
    FramePieces f;
    const char columns[] = {'l', 'c', 'r'};
    const char rows[] = {'t', 'c', 'b'};
    for (int col = 0; col < 3; ++col) {
        for (int row = 0; row < 3; ++row) {
            f.piece[col][row] =
                LookupAssetTableA(name + "_" + std::string(1, columns[col]) + rows[row]);
        }
    }
    for (int row = 0; row < 3; ++row) {
        f.left = std::max(f.left, ImageWidth(f.piece[0][row]));
        f.right = std::max(f.right, ImageWidth(f.piece[2][row]));
    }
    f.top = ImageHeight(f.piece[1][0]);
    f.bottom = ImageHeight(f.piece[1][2]);
    return f;
}

Outcome AddLabelBox(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    const std::string text = PrepareScriptText(p);
    const int justification = JustificationCode(TextParam(p, "justification"));
    Font* font = Fonts::Find(TextParam(p, "font"));
    const FramePieces f = LoadPieces(p.Has("textbox") ? TextParam(p, "textbox") : "textbox");
    const int paddingBottom = p.GetInt("aPaddingBottom");
    const int textDy = p.GetInt("aTextDY");

    Graphics measure(nullptr);
    measure.SetFont(font);
    const int wrap = p.Has("width") ? std::max(1, p.GetInt("width")) : 100000;
    int widest = 0;
    const int textHeight =
        font != nullptr ? measure.GetWordWrappedHeight(wrap, text, -1, &widest) : 0;
    // The inner area holds the text; "force_width" makes it the full wrap width and "height"
    // is its least height. The borders always keep their piece sizes.
    int innerWidth = widest;
    if (p.GetBool("force_width") && p.Has("width")) {
        innerWidth = wrap;
    }
    const int innerHeight = std::max(textHeight, p.GetInt("height"));
    const int width = f.left + innerWidth + f.right;
    const int height = f.top + innerHeight + f.bottom + paddingBottom;
    std::unique_ptr<ImageSurface> made;
    ImageSurface* surface = BoxSurface(c, width, height, &made);
    if (surface == nullptr) {
        return ScriptContext::kDone;
    }
    {
        Graphics g(surface);
        const float xs[3] = {0.0f, static_cast<float>(f.left), static_cast<float>(width - f.right)};
        const float ws[3] = {static_cast<float>(f.left), static_cast<float>(innerWidth),
                             static_cast<float>(f.right)};
        const float ys[3] = {0.0f, static_cast<float>(f.top),
                             static_cast<float>(height - f.bottom)};
        const float hs[3] = {static_cast<float>(f.top),
                             static_cast<float>(height - f.top - f.bottom),
                             static_cast<float>(f.bottom)};
        for (int col = 0; col < 3; ++col) {
            for (int row = 0; row < 3; ++row) {
                Image* piece = f.piece[col][row];
                if (piece == nullptr || ws[col] <= 0.0f || hs[row] <= 0.0f) {
                    continue;
                }
                if (col != 1 && row != 1) {
                    g.DrawImage(piece, xs[col], ys[row]);
                } else {
                    g.DrawImageStretched(piece, FRect(xs[col], ys[row], ws[col], hs[row]));
                }
            }
        }
        if (font != nullptr) {
            DrawBoxText(g, p, font, Rect(f.left, f.top + textDy, innerWidth, innerHeight), text,
                        justification);
        }
    }
    ShowBox(c, std::move(made));
    return ScriptContext::kDone;
}

// What a counter follows: a variable of the host named by the parameter's text, a field handle
// ("..._ptr"), or the value itself.
NumericalTextWidget::Binding CounterBinding(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    const std::string& text = p.FindText("integer");
    if (!text.empty() && c.Vars().Contains(text)) {
        return NumericalTextWidget::Binding::Variable(&c.Host(), text);
    }
    if (text.ends_with("_ptr")) {
        return NumericalTextWidget::Binding::Handle(p.GetInt("integer"));
    }
    return NumericalTextWidget::Binding::Fixed(p.GetInt("integer"));
}

Outcome AddCounter(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    const std::string format = PrepareScriptText(p, "template");
    const std::string align = TextParam(p, "align");
    const int justification = align == "right" ? 1 : (align == "center" ? 0 : -1);
    auto* counter = new NumericalTextWidget(p.GetInt("x"), p.GetInt("y"), justification,
                                            TextParam(p, "font"), format, p.GetIntOr("speed", 1),
                                            p.GetIntOr("delay", 1), CounterBinding(c));
    counter->SetSounds(p.Has("up_sound") ? LookupAssetTableB(p.GetString("up_sound")) : -1,
                       p.Has("down_sound") ? LookupAssetTableB(p.GetString("down_sound")) : -1);
    ApplyDepth(c, counter);
    if (p.Has("valign")) {
        counter->Move(counter->mX,
                      static_cast<float>(p.GetInt("y") -
                                         AlignShift(TextParam(p, "valign"), counter->mHeight)));
    }
    Place(c, counter);
    return ScriptContext::kDone;
}

Outcome AddMovie(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    auto* movie = new FlashWidget(p.GetInt("x"), p.GetInt("y"), p.GetString("video"),
                                  p.GetInt("width"), p.GetInt("height"), p.GetBool("loop"));
    Finish(c, movie);
    return ScriptContext::kDone;
}

Outcome Add(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    if (p.Has("draggable")) {
        return AddDraggable(c);
    }
    if (p.Has("image")) {
        return AddImage(c);
    }
    if (p.Has("textends")) {
        return AddTextBox(c);
    }
    if (p.Has("text") || p.Has("textbox")) {
        return AddLabelBox(c);
    }
    if (p.Has("template")) {
        return AddCounter(c);
    }
    if (p.Has("video")) {
        return AddMovie(c);
    }
    return ScriptContext::kDone;
}

// A button's label is centred unless the script asks for "left" or "right"; labels and text
// boxes default to the left instead.
int ButtonJustification(const std::string& word) {
    if (word == "left") {
        return -1;
    }
    return word == "right" ? 1 : 0;
}

Outcome AddButton(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    AnimationWidget& host = c.Host();
    const std::string label = PrepareScriptText(p);
    const std::string type = p.Has("image") ? TextParam(p, "image") : std::string();
    ButtonWidget* button = nullptr;
    if (p.GetBoolOr("drag_through", false)) {
        button = new DragButton(p.GetInt("x"), p.GetInt("y"), type, label, false);
    } else {
        button = new ButtonWidget(p.GetInt("x"), p.GetInt("y"), type, label, false);
    }
    button->mAcceptMultiClicks = p.GetBoolOr("allow_fast_click", false);
    if (p.Has("depth")) {
        button->mZOrder = p.GetInt("depth");
    }
    button->mDepressOnlyWhenOver = p.GetBoolOr("depress_only_when_over", true);
    button->mJustification = ButtonJustification(TextParam(p, "justification"));
    if (p.Has("image")) {
        button->SetImage(host.GetParamImage("image"));
        Image* image = button->GetImage();
        button->mUseStateFrames = image != nullptr && image->GetCelCount() >= 3;
    }
    ConfigButton(p, button);
    if (button->GetImage() == nullptr) {
        // Sized by its label, wrapped at its width (unbounded when it has none).
        Font* font = button->GetLabelFont();
        if (font != nullptr) {
            Graphics measure(nullptr);
            measure.SetFont(font);
            int widest = 0;
            const int wrap = button->mWidth > 0 ? button->mWidth : 1073741824;
            const int height = measure.GetWordWrappedHeight(wrap, button->GetLabel(), -1, &widest);
            button->Resize(button->mX, button->mY, widest, height);
        }
    }
    AnimationWidget::ButtonEntry entry;
    entry.buttonLiveId = 0;
    entry.enterAnimation = TextParam(p, "hover");
    entry.leaveAnimation = TextParam(p, "leave");
    const std::string launch = TextParam(p, "launch");
    const std::string call = TextParam(p, "call");
    const std::string action = TextParam(p, "action");
    if (!launch.empty()) {
        entry.actionAnimation = launch;
        entry.kind = 1;
    } else if (!call.empty()) {
        entry.actionAnimation = call;
        entry.kind = 2;
    } else if (!action.empty()) {
        entry.actionAnimation = action;
        entry.kind = 3;
    }
    entry.parameter = TextParam(p, "parameter");
    entry.object = p.GetInt("object");
    entry.actOnDepress = p.GetBoolOr("depress", true);
    button->SetButtonListener(&host);
    Place(c, button);
    entry.buttonLiveId = LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, button);
    host.AddButtonEntry(button->mId, std::move(entry));
    const int dx = AlignShift(TextParam(p, "align"), button->mWidth);
    const int dy = AlignShift(TextParam(p, "valign"), button->mHeight);
    if (dx != 0 || dy != 0) {
        button->Move(button->mX - static_cast<float>(dx), button->mY - static_cast<float>(dy));
    }
    return ScriptContext::kDone;
}

Outcome AddLabel(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    const int justification = JustificationCode(TextParam(p, "justification"));
    const int anchorX = AnchorCode(TextParam(p, "align"));
    const int anchorY = AnchorCode(TextParam(p, "valign"));
    TextLabel* label = nullptr;
    if (p.Has("text")) {
        label =
            new TextLabel(PrepareScriptText(p), p.GetInt("x"), p.GetInt("y"), TextParam(p, "font"),
                          p.GetInt("width"), justification, anchorX, anchorY);
    } else {
        label = new ExpressionTextWidget(p.FindText("expression"), TextParam(p, "font"), c.Vars(),
                                         p.GetInt("x"), p.GetInt("y"), p.GetInt("width"),
                                         justification, anchorX, anchorY);
    }
    ApplyDepthAndOpacity(p, label);
    Place(c, label);
    return ScriptContext::kDone;
}

Outcome AddRect(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    const int width = p.GetInt("width");
    const int height = p.GetInt("height");
    const int x = p.GetInt("x") - AlignShift(TextParam(p, "align"), width);
    const int y = p.GetInt("y") - AlignShift(TextParam(p, "valign"), height);
    auto* rect = new RectWidget(x, y, width, height, ColorParams(p, Color(0, 0, 0, 255)));
    ApplyDepthAndOpacity(p, rect);
    Place(c, rect);
    return ScriptContext::kDone;
}

}  // namespace

void RegisterAddCommands(CommandTable& table) {
    table.general["add"] = Add;
    table.general["add-button"] = AddButton;
    table.general["add-label"] = AddLabel;
    table.general["add-rect"] = AddRect;
}
