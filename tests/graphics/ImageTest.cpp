// Images without GL: cells, bounding boxes, properties, children and the live-object table.

#include <gtest/gtest.h>

#include "core/expr/ExprValue.h"
#include "core/expr/LiveObjectRegistry.h"
#include "graphics/ImageAtlasPiece.h"
#include "graphics/ImageSurface.h"

TEST(ImageTest, CellsBoundsAndProperties) {
    ImageSurface sheet;
    std::vector<uint32_t> pixels(8 * 4, 0u);
    pixels[1 * 8 + 2] = 0xFF000000u;  // cell 0: one pixel at (2, 1)
    pixels[3 * 8 + 5] = 0x01000000u;  // cell 1: one faint pixel at (1, 3)
    sheet.SetName("sheet");
    sheet.SetPixels(8, 4, pixels);
    sheet.SetCells(2, 1);
    EXPECT_EQ(sheet.GetCelRect(1), Rect(4, 0, 4, 4));
    EXPECT_EQ(sheet.GetCelRect(9), Rect(4, 0, 4, 4)) << "cells out of range are clamped";
    ASSERT_EQ(sheet.GetCelBounds().size(), 2u);
    EXPECT_EQ(sheet.GetCelBounds()[0], Rect(2, 1, 1, 1));
    EXPECT_EQ(sheet.GetCelBounds()[1], Rect(1, 3, 1, 1));
    EXPECT_EQ(sheet.GetPixel(1, 3, 1), 0x01000000u);
    EXPECT_EQ(sheet.GetPixel(4, 0, 0), 0u) << "outside the cell";

    ExprValue v;
    ASSERT_TRUE(sheet.GetProperty("frames", &v));
    EXPECT_EQ(v.AsInt(), 2);
    ASSERT_TRUE(sheet.GetProperty("frame_width", &v));
    EXPECT_EQ(v.AsInt(), 4);
    ASSERT_TRUE(sheet.GetProperty("name", &v));
    EXPECT_EQ(v.AsString(), "sheet");
    EXPECT_FALSE(sheet.GetProperty("colour", &v));

    ImageSurface empty;
    EXPECT_TRUE(empty.IsListEmpty());
    empty.Create(3, 3);
    EXPECT_FALSE(empty.IsListEmpty());
    empty.Fill(Color::FromFloats(0.5f, 0.0f, 0.0f, 0.5f));
    EXPECT_EQ(empty.GetPixel(0, 0), 0x80FF0000u) << "memory pixels are straight";
}

TEST(ImageTest, ChildrenAndPiecesNeverOutliveTheirPage) {
    auto page = std::make_unique<ImageSurface>();
    page->SetPixels(4, 4, std::vector<uint32_t>(16, 0xFF112233u));
    ImageAtlasPiece piece(page.get(), Rect(2, 2, 10, 10));
    EXPECT_EQ(piece.GetWidth(), 2) << "clipped to the page";
    EXPECT_EQ(piece.GetPixel(1, 1), 0xFF112233u);
    std::unique_ptr<Image> child = page->CreateChild();
    EXPECT_EQ(child->GetBaseSurface(), page.get());

    uint32_t pageId = page->GetLiveId();
    EXPECT_EQ(LiveObjectRegistry::ResolveImage(pageId), page.get());
    ExprValue held = ExprValue::FromObject2(page.get());
    EXPECT_EQ(held.AsObject2(), page.get());
    page.reset();
    EXPECT_EQ(held.AsObject2(), nullptr);
    EXPECT_EQ(piece.GetBaseSurface(), nullptr);
    EXPECT_EQ(piece.GetPixel(1, 1), 0u);
    EXPECT_TRUE(child->IsListEmpty());
}
