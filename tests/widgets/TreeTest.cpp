// The widget tree and the manager's passes: walks that change the tree, z-order bands, dirty
// drawing, deferred overlays, base layers, update suspension and the root's perspective mapping.

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/expr/ExprValue.h"
#include "core/expr/LiveObjectRegistry.h"
#include "support/UiHarness.h"
#include "widgets/WidgetHost.h"
#include "widgets/anim/AnimationWidget.h"

namespace {

using Log = std::vector<std::string>;

// A widget that runs an action from its update or draw.
class ActionWidget : public ProbeWidget {
public:
    using ProbeWidget::ProbeWidget;
    void Update() override {
        ProbeWidget::Update();
        if (onUpdate) {
            auto action = onUpdate;
            action();
        }
    }
    void Draw(Graphics* g) override {
        ProbeWidget::Draw(g);
        if (onDraw) {
            auto action = onDraw;
            onDraw = nullptr;
            action();
        }
    }
    void DrawOverlayAtPriority(Graphics* g, int priority) override {
        ProbeWidget::DrawOverlayAtPriority(g, priority);
        origin = FPoint(g->GetTranslateX(), g->GetTranslateY());
    }
    std::function<void()> onUpdate;
    std::function<void()> onDraw;
    FPoint origin;
};

ActionWidget* Probe(const std::string& name, Log* log) {
    auto* w = new ActionWidget(name, log);
    w->logUpdates = true;
    return w;
}

}  // namespace

TEST(WidgetTree, UpdateWalkSurvivesRemovalAddingAndRestacking) {
    Log log;
    WidgetHarness h;
    auto* a = h.Add(Probe("a", &log), 0, 0, 10, 10);
    auto* b = h.Add(Probe("b", &log), 0, 0, 10, 10);
    auto* c = h.Add(Probe("c", &log), 0, 0, 10, 10);
    auto* d = h.Add(Probe("d", &log), 0, 0, 10, 10);
    // a removes itself and its sibling b; c restacks itself to the end and adds a new widget.
    ActionWidget* added = nullptr;
    a->onUpdate = [&] {
        a->onUpdate = nullptr;
        a->MarkForRemoval();
        b->MarkForRemoval();
    };
    c->onUpdate = [&] {
        c->onUpdate = nullptr;
        h.manager->MoveChildToEnd(c);
        added = h.Add(Probe("e", &log), 0, 0, 10, 10);
    };
    h.RunUpdates(1);
    // b is never visited, c once despite its restacking, and e (added at a later place) is.
    EXPECT_EQ(log, (Log{"a:update", "c:update", "d:update", "e:update"}));
    ASSERT_EQ(h.manager->GetChildren(), (std::vector<Widget*>{d, c, added}));
    // The removed widgets were deleted after the pass, not during it.
    EXPECT_EQ(h.app.GetDeletionQueueSize(), 0u);
    EXPECT_EQ(LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, a), 0u);
}

TEST(WidgetTree, DrawWalkSkipsAWidgetRemovedByASiblingAndScriptValuesDoNotDangle) {
    Log log;
    WidgetHarness h;
    auto* a = h.Add(Probe("a", &log), 0, 0, 10, 10);
    auto* b = h.Add(Probe("b", &log), 0, 0, 10, 10);
    h.Add(Probe("c", &log), 0, 0, 10, 10);
    const ExprValue held = ExprValue::FromObject(b);
    Widget* seenDuringPass = nullptr;
    a->onDraw = [&] {
        b->MarkForRemoval();
        seenDuringPass = held.AsObject();
    };
    EXPECT_TRUE(h.Draw());
    EXPECT_EQ(log, (Log{"a:draw", "c:draw"}));
    EXPECT_EQ(seenDuringPass, b);         // alive while the pass runs
    EXPECT_EQ(held.AsObject(), nullptr);  // deleted once it was over
    log.clear();
    EXPECT_FALSE(h.Draw());  // the removal already drew; nothing changed since
}

TEST(WidgetTree, DrawWalkSurvivesRestackingLikeAPausedCover) {
    Log log;
    WidgetHarness h;
    auto* board = h.Add(Probe("board", &log), 0, 0, 100, 100);
    auto* cover = h.Add(Probe("cover", &log), 0, 0, 100, 100, board);
    auto* x = h.Add(Probe("x", &log), 0, 0, 10, 10, board);
    h.Add(Probe("y", &log), 0, 0, 10, 10, board);
    // The board raises its cover from its own draw, before its children are walked.
    board->onDraw = [&] { board->MoveChildToEnd(cover); };
    EXPECT_TRUE(h.Draw());
    EXPECT_EQ(log, (Log{"board:draw", "x:draw", "y:draw", "cover:draw"}));
    // Raised again by a sibling after it was drawn: not drawn twice in one pass.
    log.clear();
    board->MoveChildToStart(cover);
    x->onDraw = [&] { board->MoveChildToEnd(cover); };
    EXPECT_TRUE(h.Draw());
    EXPECT_EQ(log, (Log{"board:draw", "cover:draw", "x:draw", "y:draw"}));
}

TEST(WidgetTree, AWalkNestedInAnUpdateKeepsTheOuterWalkInStep) {
    Log log;
    WidgetHarness h;
    auto* a = h.Add(Probe("a", &log), 0, 0, 10, 10);
    auto* b = h.Add(Probe("b", &log), 0, 0, 10, 10);
    h.Add(Probe("c", &log), 0, 0, 10, 10);
    // a takes a picture of the screen from its update; while it is drawn, b removes a.
    a->onUpdate = [&] {
        a->onUpdate = nullptr;
        Graphics picture;
        h.manager->DrawPassA(&picture);
    };
    b->onDraw = [&] { a->MarkForRemoval(); };
    h.RunUpdates(1);
    // The update walk still visits b and c once each.
    EXPECT_EQ(log, (Log{"a:update", "a:draw", "b:draw", "c:draw", "b:update", "c:update"}));
}

TEST(WidgetTree, EqualZOrdersPutTheLaterAddedOnTopAndHitFirst) {
    Log log;
    WidgetHarness h;
    auto* high = Probe("high", &log);
    high->mZOrder = 5;
    h.Add(high, 0, 0, 100, 100);
    auto* first = h.Add(Probe("first", &log), 0, 0, 100, 100);
    auto* second = h.Add(Probe("second", &log), 0, 0, 100, 100);
    auto* low = Probe("low", &log);
    low->mZOrder = -1;
    h.Add(low, 0, 0, 100, 100);
    EXPECT_EQ(h.manager->GetChildren(), (std::vector<Widget*>{low, first, second, high}));
    high->mMouseVisible = false;
    Widget* hit = h.manager->FindWidgetAt(50, 50, widgetflags::kDefault, nullptr, nullptr);
    EXPECT_EQ(hit, second);

    // Restacking stays inside the band.
    h.manager->MoveChildToStart(second);
    EXPECT_EQ(h.manager->GetChildren(), (std::vector<Widget*>{low, second, first, high}));
    h.manager->MoveChildToEnd(second);
    EXPECT_EQ(h.manager->GetChildren(), (std::vector<Widget*>{low, first, second, high}));
    h.manager->MoveChildBefore(second, first);
    EXPECT_EQ(h.manager->GetChildren(), (std::vector<Widget*>{low, second, first, high}));
    h.manager->MoveChildAfter(second, first);
    EXPECT_EQ(h.manager->GetChildren(), (std::vector<Widget*>{low, first, second, high}));
    h.manager->MoveChildBefore(second, high);  // other band: stays last of its own
    EXPECT_EQ(h.manager->GetChildren(), (std::vector<Widget*>{low, first, second, high}));
    first->mZOrder = 9;
    h.manager->SortChildren();
    EXPECT_EQ(h.manager->GetChildren(), (std::vector<Widget*>{low, second, high, first}));

    log.clear();
    h.Draw();
    EXPECT_EQ(log, (Log{"low:draw", "second:draw", "high:draw", "first:draw"}));
}

TEST(WidgetTree, LinkingRules) {
    Log log;
    WidgetHarness h;
    auto* parent = h.Add(Probe("p", &log), 100, 100, 50, 50);
    parent->mClipChildren = true;
    auto* child = h.Add(Probe("c", &log), 40, 40, 50, 50, parent);
    // The child sticks out of its clipping parent: outside the parent it cannot be hit.
    EXPECT_EQ(h.manager->FindWidgetAt(145, 145, widgetflags::kDefault, nullptr, nullptr), child);
    EXPECT_EQ(h.manager->FindWidgetAt(170, 170, widgetflags::kDefault, nullptr, nullptr), nullptr);

    // Unchanged values mark nothing dirty.
    h.Draw();
    child->Resize(40, 40, 50, 50);
    EXPECT_FALSE(h.manager->IsDirty());
    child->Move(41, 40);
    EXPECT_TRUE(h.manager->IsDirty());

    // A widget marked for removal while outside a tree is removed again as it is added.
    auto* doomed = Probe("d", &log);
    doomed->mRemoved = true;
    h.manager->AddWidget(doomed);
    EXPECT_EQ(doomed->mParent, nullptr);
    EXPECT_EQ(h.app.GetDeletionQueueSize(), 1u);

    // Adding a widget that belongs to another parent moves it (it is never in two lists).
    auto* other = h.Add(Probe("o", &log), 0, 0, 10, 10);
    other->AddWidget(child);
    EXPECT_FALSE(parent->HasChild(child));
    EXPECT_EQ(child->mParent, other);
    h.RunUpdates(1);
    EXPECT_EQ(child->mManager, h.manager);  // taken back before the queue ran: alive
}

// Which part of the screen a change repaints: a widget that knows its drawn area (here its own
// rectangle) reports it, old and new when it moves; one that cannot say reports its parent's,
// and without such a parent the whole screen.
TEST(WidgetTree, AChangeMarksTheAreaItsWidgetDraws) {
    struct Bounded : ActionWidget {
        using ActionWidget::ActionWidget;
        bool GetDrawnArea(FRect* area) const override {
            *area = FRect(0.0f, 0.0f, float(mWidth), float(mHeight));
            return true;
        }
    };
    const Rect kWhole(-1, -1, -1, -1);
    struct Case {
        const char* what;
        std::function<void(Widget* bounded, Widget* child, Widget* plain)> change;
        Rect expected;  // the bounded widget at (100, 100, 20, 10), two pixels of margin
    };
    const Case cases[] = {
        {"moved", [](Widget* w, Widget*, Widget*) { w->Move(300, 200); }, Rect(98, 98, 224, 114)},
        {"hidden", [](Widget* w, Widget*, Widget*) { w->SetVisible(false); }, Rect(98, 98, 24, 14)},
        {"resized", [](Widget* w, Widget*, Widget*) { w->Resize(100, 100, 40, 30); },
         Rect(98, 98, 44, 34)},
        {"child that cannot say", [](Widget*, Widget* c, Widget*) { c->Move(6, 5); },
         Rect(98, 98, 24, 14)},
        {"widget that cannot say", [](Widget*, Widget*, Widget* p) { p->Move(1, 0); }, kWhole},
        {"moved off the screen's left edge", [](Widget* w, Widget*, Widget*) { w->Move(-50, 100); },
         Rect(0, 98, 122, 14)},
        {"grown to the whole screen",
         [](Widget* w, Widget*, Widget*) { w->Resize(0, 0, 1024, 768); }, kWhole},
        {"added", [](Widget* w, Widget*, Widget*) { w->AddWidget(new Widget); }, kWhole},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Log log;
        WidgetHarness h;
        auto* bounded = h.Add(new Bounded("b", &log), 100, 100, 20, 10);
        auto* child = h.Add(Probe("c", &log), 5, 5, 4, 4, bounded);
        auto* plain = h.Add(Probe("p", &log), 0, 0, 10, 10);
        h.Draw();
        c.change(bounded, child, plain);
        Rect area;
        ASSERT_TRUE(h.manager->IsDirty());
        EXPECT_EQ(h.manager->GetDirtyArea(&area) ? area : kWhole, c.expected)
            << area.mX << "," << area.mY << " " << area.mWidth << "x" << area.mHeight;
        h.Draw();
        EXPECT_FALSE(h.manager->GetDirtyArea(&area));  // a draw starts afresh
    }
}

TEST(WidgetTree, UpdateSuspensionFollowsTheUpdateOwner) {
    Log log;
    WidgetHarness h;
    auto* owner = h.Add(Probe("owner", &log), 0, 0, 10, 10);
    auto* inner = h.Add(Probe("inner", &log), 0, 0, 10, 10, owner);
    owner->PropagateTreeValue(owner, false);
    EXPECT_EQ(inner->mUpdateOwner, owner);
    h.app.mUpdateSuspendCount = 1;
    h.RunUpdates(1);
    EXPECT_TRUE(log.empty());
    h.app.mUpdateSuspendCount = 0;
    h.RunUpdates(1);
    EXPECT_EQ(log, (Log{"owner:update", "inner:update"}));
    // A removed subtree drops the owner it had.
    owner->RemoveKeepAlive();
    EXPECT_EQ(owner->mUpdateOwner, nullptr);
    EXPECT_EQ(inner->mUpdateOwner, nullptr);
    EXPECT_EQ(h.app.GetDeletionQueueSize(), 0u);
    delete owner;  // kept alive by the caller; its child goes through the queue
    h.RunUpdates(1);
}

TEST(WidgetTree, DeferredOverlaysDrawInPriorityOrder) {
    Log log;
    WidgetHarness h;
    auto* queuer = h.Add(Probe("q", &log), 10, 20, 10, 10);
    auto* five1 = h.Add(Probe("five1", &log), 30, 40, 10, 10);
    auto* five2 = h.Add(Probe("five2", &log), 0, 0, 10, 10);
    auto* three = h.Add(Probe("three", &log), 0, 0, 10, 10);
    queuer->onDraw = [&] {
        five1->QueueDeferredDraw(5);
        five2->QueueDeferredDraw(5);
        three->QueueDeferredDraw(3);
    };
    h.Draw();
    EXPECT_EQ(log, (Log{"q:draw", "five1:draw", "five2:draw", "three:draw", "three:overlay 3",
                        "five1:overlay 5", "five2:overlay 5"}));
    // The overlay's context starts at the widget's origin.
    EXPECT_EQ(five1->origin, FPoint(30, 40));

    // A node of drawPriority 4 drawn after an overlay of 3 was queued: the 3 goes first, the 4
    // waits until the end.
    log.clear();
    queuer->onDraw = [&] {
        three->QueueDeferredDraw(3);
        five1->QueueDeferredDraw(4);
    };
    five2->mDrawPriority = 4;
    five2->Move(100, 200);
    h.manager->MarkDirty();
    h.Draw();
    EXPECT_EQ(log, (Log{"q:draw", "five1:draw", "three:overlay 3", "five2:draw", "three:draw",
                        "five1:overlay 4"}));
    // Flushed on the way into five2, the overlay still starts at its own widget's origin.
    EXPECT_EQ(three->origin, FPoint(0, 0));

    // A widget that leaves the tree during the pass loses its queued overlay.
    log.clear();
    queuer->onDraw = [&] {
        three->QueueDeferredDraw(1);
        three->MarkForRemoval();
    };
    h.manager->MarkDirty();
    h.Draw();
    EXPECT_EQ(std::count(log.begin(), log.end(), "three:overlay 1"), 0);
}

TEST(WidgetTree, BaseLayersMakeAWidgetModal) {
    Log log;
    WidgetHarness h;
    auto* below = h.Add(Probe("below", &log), 0, 0, 100, 100);
    below->mWantsFocus = true;
    auto* dialog = h.Add(Probe("dialog", &log), 200, 0, 100, 100);
    dialog->mWantsFocus = true;
    auto* second = h.Add(Probe("second", &log), 400, 0, 100, 100);
    h.MoveTo(50, 50);
    h.Click(50, 50);  // focus to below
    ASSERT_EQ(h.manager->GetFocusWidget(), below);
    log.clear();

    h.manager->PushDefaultBaseLayer(dialog);
    // The pointer leaves the widget below, which also loses the focus; it cannot be hit now.
    EXPECT_EQ(log, (Log{"below:leave", "below:blur"}));
    EXPECT_EQ(h.manager->FindWidgetAt(50, 50, h.manager->GetWidgetFlags(), nullptr, nullptr),
              nullptr);
    h.RunUpdates(1);  // widgets below still update
    h.Click(250, 50);
    EXPECT_EQ(h.manager->GetFocusWidget(), dialog);

    // A second layer saves the dialog's focus; popping it restores it.
    h.manager->PushDefaultBaseLayer(second);
    EXPECT_EQ(h.manager->GetFocusWidget(), nullptr);
    h.manager->RemoveBaseLayer(second);
    EXPECT_EQ(h.manager->GetBaseWidget(), dialog);
    EXPECT_EQ(h.manager->GetFocusWidget(), dialog);

    // Removing a layer that is not on top restores nothing.
    h.manager->PushDefaultBaseLayer(second);
    h.manager->RemoveBaseLayer(dialog);
    EXPECT_EQ(h.manager->GetBaseWidget(), second);
    EXPECT_EQ(h.manager->GetFocusWidget(), nullptr);
    // The last layer popped: its masks stay until the widget leaves the tree.
    h.manager->RemoveBaseLayer(second);
    EXPECT_EQ(h.manager->GetBaseWidget(), second);
    second->MarkForRemoval();
    EXPECT_EQ(h.manager->GetBaseWidget(), nullptr);
    EXPECT_EQ(h.manager->FindWidgetAt(50, 50, h.manager->GetWidgetFlags(), nullptr, nullptr),
              below);
}

TEST(WidgetTree, RootMapsDepthThroughThePerspectiveView) {
    Log log;
    WidgetHarness h;
    auto* parent = h.Add(Probe("p", &log), 100, 50, 10, 10);
    auto* child = h.Add(Probe("c", &log), 5, 6, 10, 10, parent);
    EXPECT_EQ(child->LocalToGlobal(), FPoint(105, 56));
    float x = 0;
    float y = 0;
    child->GlobalToLocal(110, 60, &x, &y);
    EXPECT_FLOAT_EQ(x, 5);
    EXPECT_FLOAT_EQ(y, 4);
    // At depth 0 the view is flat; deeper points move toward the centre.
    const FRect flat = h.manager->LocalToGlobalRect(FRect(1024, 768, 0, 1));
    EXPECT_NEAR(flat.mX, 1024, 0.01);
    EXPECT_NEAR(flat.mY, 768, 0.01);
    const FRect deep = h.manager->LocalToGlobalRect(FRect(1024, 768, 2048, 1));
    EXPECT_NEAR(deep.mX, 768, 0.01);
    EXPECT_NEAR(deep.mY, 576, 0.01);
    EXPECT_FLOAT_EQ(deep.mHeight, 1.0f);
}

TEST(WidgetTree, IsBelowFollowsTheDepthFirstOrder) {
    Log log;
    WidgetHarness h;
    auto* a = h.Add(Probe("a", &log), 0, 0, 10, 10);
    auto* a1 = h.Add(Probe("a1", &log), 0, 0, 10, 10, a);
    auto* b = h.Add(Probe("b", &log), 0, 0, 10, 10);
    EXPECT_TRUE(WidgetContainer::IsBelow(h.manager, a1, b));
    EXPECT_FALSE(WidgetContainer::IsBelow(h.manager, b, a1));
    EXPECT_TRUE(WidgetContainer::IsBelow(h.manager, a, a1));
    EXPECT_FALSE(WidgetContainer::IsBelow(a1, a, b));  // neither is met
}

// The one harness runs scripts and owned widgets, with and without a host.
TEST(UiHarnessModes, ScriptsRunAndOwnedWidgetsGoWithTheHarness) {
    for (const auto mode : {WidgetHarness::kWithHost, WidgetHarness::kNoHost}) {
        WidgetHarness h(mode);
        EXPECT_EQ(GetWidgetHost() != nullptr, mode == WidgetHarness::kWithHost);
        h.LoadScripts(
            R"(<animation name="grow"><set id="self" property="x" value="40"/></animation>)");
        auto* widget = h.Own(std::make_unique<AnimationWidget>("grow", 0, 0, false));
        h.Add(widget, 0, 0, 10, 10);
        widget->PlayAnimationRef("grow");
        h.RunUpdates(2);
        EXPECT_FLOAT_EQ(widget->mX, 40.0f);
    }
    EXPECT_EQ(GetWidgetHost(), nullptr);
}
