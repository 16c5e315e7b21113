#include "widgets/anim/OverbrightPasses.h"

#include "graphics/Color.h"
#include "graphics/Graphics.h"

void DrawOverbrightPasses(Graphics* g, float r, float gr, float b, float a, const Color* tint,
                          bool keepBatching, const std::function<void()>& draw) {
    const bool overbright = r > 1.0f || gr > 1.0f || b > 1.0f;
    const bool batching = g->GetBatching();
    if (keepBatching && overbright) {
        g->SetBatching(true);
    }
    for (;;) {
        Color color = Color::FromFloats(r, gr, b, a);
        if (tint != nullptr) {
            color = color.Multiply(*tint);
        }
        g->SetColor(color);
        draw();
        if (r <= 1.0f && gr <= 1.0f && b <= 1.0f) {
            break;
        }
        r -= 1.0f;
        gr -= 1.0f;
        b -= 1.0f;
        a = 0.0f;
    }
    if (keepBatching && overbright) {
        g->SetBatching(batching);
    }
}
