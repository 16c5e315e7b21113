// Shader effects: the shipped effects drawn offscreen against golden images, constants by name,
// messages for broken files, the switch that turns effects off, batching and device rebuilds.

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>

#include "core/expr/NamedConstants.h"
#include "core/files/PakInterfaceBase.h"
#include "core/util/FileUtil.h"
#include "core/util/StringUtil.h"
#include "graphics/EffectCache.h"
#include "graphics/HlslTranslator.h"
#include "graphics/ShaderEffect.h"
#include "support/GLTestSupport.h"
#include "support/TempFolder.h"

namespace {

// The smallest whole effect: the picture times the vertex colour, scaled by "Level".
const char* kPlainEffect = R"(float4x4 WorldViewProj;
float Level;
sampler2D Picture;
struct VertexOut {
    float4 position : POSITION;
    float2 uv : TEXCOORD0;
    float4 color : COLOR0;
};
VertexOut VS(float4 position : POSITION, float2 uv : TEXCOORD0, float4 color : COLOR0) {
    VertexOut o;
    o.position = mul(position, WorldViewProj);
    o.uv = uv;
    o.color = color * Level;
    return o;
}
float4 PS(float2 uv : TEXCOORD0, float4 color : COLOR0) : COLOR0 {
    return tex2D(Picture, uv) * color * Level;
}
)";

// A picture with something to show in every effect: a warm disc on paper with an ink ring.
std::unique_ptr<ImageSurface> MakePicture() {
    const int size = 64;
    std::vector<uint32_t> pixels(size_t(size) * size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float d = std::hypot(float(x) - 31.5f, float(y) - 31.5f);
            uint32_t c = 0xFFF2E6C9u;  // paper
            if (d < 18.0f) {
                c = 0xFFEFC56Eu;  // light brass
            } else if (d < 22.0f) {
                c = 0xFF2B3350u;  // ink
            }
            pixels[size_t(y * size + x)] = c;
        }
    }
    auto image = std::make_unique<ImageSurface>();
    image->SetName("picture");
    image->SetPixels(size, size, std::move(pixels));
    return image;
}

class ShaderEffectTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        mOld = std::filesystem::current_path();
        std::filesystem::current_path(mTemp.Path());
        // Translations are cached in the per-user folder: a test's own.
        SetAppDataFolder(mTemp.Path() + "user/");
        ClearConstants();
    }
    void TearDown() override {
        std::filesystem::current_path(mOld);
        SetAppDataFolder("");
        ClearConstants();
    }
    void WriteEffect(const std::string& name, const std::string& text) {
        std::filesystem::create_directories("properties");
        std::ofstream("properties/" + name + ".hlsl", std::ios::binary) << text;
    }
    // Loads one of the game's own effects from the content folder.
    static std::unique_ptr<ShaderEffect> LoadShipped(const std::string& name) {
        const char* root = std::getenv("P7_SOURCE_DIR");
        const std::filesystem::path here = std::filesystem::current_path();
        std::filesystem::current_path(std::string(root != nullptr ? root : ".") + "/content");
        auto effect = LoadShaderEffect(name);
        std::filesystem::current_path(here);
        return effect;
    }

    // An 8 by 8 white square drawn through the effect at (at, at) on a black target of size by
    // size pixels.
    static std::unique_ptr<ImageSurface> DrawWhite(ShaderEffect* effect, int size, int at) {
        auto white = std::make_unique<ImageSurface>();
        white->SetPixels(8, 8, std::vector<uint32_t>(64, 0xFFFFFFFFu));
        auto target = MakeTarget(size, size);
        target->Fill(Color(0, 0, 0));
        {
            Graphics g(target.get());
            g.SetShaderEffect(effect);
            g.DrawImage(white.get(), float(at), float(at));
        }
        sDevice->Flush();
        return target;
    }

    TempFolder mTemp;
    std::filesystem::path mOld;
};

}  // namespace

// A picture of the game's content folder, with its cells.
std::unique_ptr<ImageSurface> ContentPicture(const std::string& path, int cols) {
    const char* root = std::getenv("P7_SOURCE_DIR");
    DecodedImage decoded;
    if (!ReadImageFile(std::string(root != nullptr ? root : ".") + "/content/" + path, &decoded)) {
        return nullptr;
    }
    auto image = std::make_unique<ImageSurface>();
    image->SetName(path);
    image->SetPixels(decoded.mWidth, decoded.mHeight, std::move(decoded.mPixels));
    image->SetCells(cols, 1);
    return image;
}

// Each shipped effect where the game uses it, at two moments (or two coverings for the ink):
// the lit lantern's light over the hint meter, the blank sheet over a picture giving way to
// ink, the glints over the navy sea.
TEST_F(ShaderEffectTest, ShippedEffectsAtTwoMoments) {
    auto picture = MakePicture();
    auto meter = ContentPicture("images/ipad/hint_meter_ipad.png", 1);
    auto bulb = ContentPicture("images/ipad/hint_bulb_ipad.png", 12);
    ASSERT_NE(meter, nullptr);
    ASSERT_NE(bulb, nullptr);
    auto lantern = [&](Graphics& g, ShaderEffect* effect) {
        g.DrawImage(meter.get(), -20, -30);
        g.DrawImage(bulb.get(), 18, 10, 11);
        g.SetShaderEffect(effect);
        g.DrawImage(bulb.get(), 18, 10, 11);
    };
    auto sheet = std::make_unique<ImageSurface>();
    sheet->SetPixels(64, 64, std::vector<uint32_t>(64 * 64, 0xFFF2E6C9u));
    auto inkOver = [&](Graphics& g, ShaderEffect* effect) {
        g.DrawImage(picture.get(), 8, 8);
        g.SetShaderEffect(effect);
        g.DrawImage(sheet.get(), 8, 8);
    };
    auto card = [&](Graphics& g, ShaderEffect* effect) {
        g.SetShaderEffect(effect);
        g.DrawImage(picture.get(), 8, 8);
    };
    struct Case {
        const char* effect;
        const char* constant;
        float values[2];
        std::function<void(Graphics&, ShaderEffect*)> draw;
    };
    const Case cases[] = {
        {"lantern_glow", "Clock", {75.0f, 150.0f}, lantern},
        {"ink_reveal", "Cover", {0.8f, 0.6f}, inkOver},
        {"sea_shimmer", "Clock", {150.0f, 300.0f}, card},
    };
    for (const Case& c : cases) {
        auto effect = LoadShipped(c.effect);
        ASSERT_NE(effect, nullptr) << c.effect;
        for (int i = 0; i < 2; ++i) {
            auto target = MakeTarget(80, 80);
            target->Fill(Color(35, 55, 90));
            effect->SetConstants(c.constant, c.values[i]);
            {
                Graphics g(target.get());
                c.draw(g, effect.get());
            }
            ExpectGolden(target.get(), std::string("effect_") + c.effect + "_" + std::to_string(i));
        }
    }
}

TEST_F(ShaderEffectTest, ConstantsReachBothStagesByName) {
    WriteEffect("plain", kPlainEffect);
    auto effect = LoadShaderEffect("plain");
    ASSERT_NE(effect, nullptr);
    float value = 0.0f;
    EXPECT_FALSE(effect->GetConstant("Level", &value));
    // Level reaches the vertex colour and the pixel: 0.5 in both gives a quarter of white.
    for (float level : {1.0f, 0.5f}) {
        effect->SetConstants("Level", level);
        auto target = DrawWhite(effect.get(), 16, 4);
        const int expected = int(std::lround(255.0f * level * level));
        EXPECT_NEAR(int((target->GetPixel(8, 8) >> 16) & 0xFF), expected, 2) << level;
        EXPECT_EQ(target->GetPixel(1, 1), 0xFF000000u) << "the draw stays in its place";
    }
    EXPECT_TRUE(effect->GetConstant("Level", &value));
    EXPECT_EQ(value, 0.5f);
}

// Two effects never share a draw; draws through one effect do.
TEST_F(ShaderEffectTest, BatchesKeepEffectsApart) {
    WriteEffect("plain", kPlainEffect);
    auto first = LoadShaderEffect("plain");
    auto second = LoadShaderEffect("plain");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    first->SetConstants("Level", 1.0f);
    second->SetConstants("Level", 1.0f);
    auto dot = std::make_unique<ImageSurface>();
    dot->SetPixels(4, 4, std::vector<uint32_t>(16, 0xFFFFFFFFu));
    auto target = MakeTarget(32, 32);
    sDevice->Flush();
    sDevice->ResetDrawCallCount();
    {
        Graphics g(target.get());
        g.SetBatching(true);
        g.SetShaderEffect(first.get());
        g.DrawImage(dot.get(), 0, 0);
        g.DrawImage(dot.get(), 8, 0);
        g.SetShaderEffect(second.get());
        g.DrawImage(dot.get(), 16, 0);
    }
    sDevice->Flush();
    EXPECT_EQ(sDevice->GetDrawCallsThisFrame(), 2);
}

TEST_F(ShaderEffectTest, EffectsComeBackAfterTheDeviceRebuilds) {
    WriteEffect("plain", kPlainEffect);
    auto effect = LoadShaderEffect("plain");
    ASSERT_NE(effect, nullptr);
    effect->SetConstants("Level", 0.5f);
    ASSERT_TRUE(sDevice->Rebuild());
    auto target = DrawWhite(effect.get(), 8, 0);
    EXPECT_NEAR(int((target->GetPixel(4, 4) >> 8) & 0xFF), 64, 2);
}

// A missing file, an empty name and the "shaders" switch give none; a file that does not
// translate, or whose translation the GL driver refuses, gives none and one line naming the file,
// the stage, the effect file's line and the message.
TEST_F(ShaderEffectTest, NoneWithAReasonOnlyWhereOneIsOwed) {
    WriteEffect("plain", kPlainEffect);
    std::string broken = kPlainEffect;
    broken.replace(broken.find("return tex2D"), 6, "retrun");
    WriteEffect("broken", broken);
    std::string noPixel = kPlainEffect;
    noPixel.replace(noPixel.find("float4 PS("), 10, "float4 PX(");
    WriteEffect("nopixel", noPixel);

    // Translates, but GLSL 330 indexes an array of samplers only by a constant.
    std::string picked = kPlainEffect;
    picked.replace(picked.find("sampler2D Picture;"), 18, "sampler2D Pictures[2];");
    picked.replace(picked.find("tex2D(Picture, uv)"), 18, "tex2D(Pictures[int(Level)], uv)");
    WriteEffect("picked", picked);

    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadShaderEffect("picked"), nullptr);
    EXPECT_EQ(LoadShaderEffect("absent"), nullptr);
    EXPECT_EQ(LoadShaderEffect(""), nullptr);
    EXPECT_EQ(LoadShaderEffect("broken"), nullptr);
    EXPECT_EQ(LoadShaderEffect("broken"), nullptr);  // reported once
    EXPECT_EQ(LoadShaderEffect("nopixel"), nullptr);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("\"properties/broken.hlsl\": vertex shader \"VS\", line 17:"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("\"properties/nopixel.hlsl\": pixel shader \"PS\""), std::string::npos)
        << log;
    EXPECT_NE(log.find("\"properties/picked.hlsl\": pixel shader \"PS\", line 17:"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("broken.hlsl", log.find("broken.hlsl") + 1), std::string::npos) << log;
    EXPECT_EQ(log.find("absent.hlsl\":"), std::string::npos) << log;

    SetConstant("shaders", ExprValue::FromBool(false));
    EXPECT_EQ(LoadShaderEffect("plain"), nullptr);
    SetConstant("shaders", ExprValue::FromBool(true));
    EXPECT_NE(LoadShaderEffect("plain"), nullptr);
}

// A translation is kept in the per-user folder and read back instead of translating again: the
// entry drawn here was made from other source (the pixel's Level left out), so the draw shows
// which one ran. A damaged entry is said once in the log, translated anew and written over.
TEST_F(ShaderEffectTest, TranslationsComeFromTheCacheOnALaterStart) {
    WriteEffect("fresh", kPlainEffect);
    ASSERT_NE(LoadShaderEffect("fresh"), nullptr);
    TranslatedEffect kept;
    std::string problem;
    EXPECT_EQ(EffectCache::Read("properties/fresh.hlsl", kPlainEffect, &kept, &problem),
              EffectCache::Lookup::kHit);

    std::string other = kPlainEffect;
    other.replace(other.find("* color * Level"), 15, "* color");
    TranslatedEffect otherCode;
    ASSERT_TRUE(HlslTranslator::Translate(other, "other.hlsl", &otherCode, &problem)) << problem;
    EffectCache::Write("properties/kept.hlsl", kPlainEffect, otherCode);
    WriteEffect("kept", kPlainEffect);
    auto effect = LoadShaderEffect("kept");
    ASSERT_NE(effect, nullptr);
    effect->SetConstants("Level", 0.5f);
    auto target = DrawWhite(effect.get(), 8, 0);
    EXPECT_NEAR(int((target->GetPixel(4, 4) >> 8) & 0xFF), 128, 2) << "Level once, not twice";

    const std::string damaged = EffectCache::PathFor("properties/damaged.hlsl");
    std::string whole;
    ASSERT_TRUE(PakInterfaceBase::Get()->ReadWholeFile(
        EffectCache::PathFor("properties/fresh.hlsl"), &whole));
    ASSERT_TRUE(WriteBufferToFile(damaged, whole.substr(0, whole.size() / 2)));
    WriteEffect("damaged", kPlainEffect);
    testing::internal::CaptureStderr();
    EXPECT_NE(LoadShaderEffect("damaged"), nullptr);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("'" + damaged + "' is"), std::string::npos) << log;
    EXPECT_EQ(log.find('\n'), log.size() - 1) << log;
    EXPECT_EQ(EffectCache::Read("properties/damaged.hlsl", kPlainEffect, &kept, &problem),
              EffectCache::Lookup::kHit);
}

// An entry answers only for the source it was made from; whatever cuts it short or writes over
// it reads as damaged, never as a translation.
TEST_F(ShaderEffectTest, CacheEntriesAnswerOnlyForTheirOwnSource) {
    TranslatedEffect code;
    code.mVertex.mGlsl = "#version 330\nvoid main() {}\n\n";
    code.mVertex.mRegisters = "uVertexRegisters";
    code.mVertex.mRegisterCount = 5;
    code.mVertex.mConstants = {{"WorldViewProj", 0}, {"Level", 16}};
    code.mPixel.mGlsl = "#version 330\nstage 1 2 3\n";  // text that looks like a header
    code.mPixel.mSamplers = {"Picture", "Mask"};
    const std::string file = "properties/glow.hlsl";
    EffectCache::Write(file, "source", code);

    TranslatedEffect read;
    std::string problem;
    ASSERT_EQ(EffectCache::Read(file, "source", &read, &problem), EffectCache::Lookup::kHit);
    EXPECT_EQ(read.mVertex.mGlsl, code.mVertex.mGlsl);
    EXPECT_EQ(read.mVertex.mRegisters, code.mVertex.mRegisters);
    EXPECT_EQ(read.mVertex.mRegisterCount, 5);
    EXPECT_EQ(read.mVertex.mConstants, code.mVertex.mConstants);
    EXPECT_EQ(read.mPixel.mGlsl, code.mPixel.mGlsl);
    EXPECT_EQ(read.mPixel.mRegisters, "");
    EXPECT_EQ(read.mPixel.mSamplers, code.mPixel.mSamplers);
    EXPECT_EQ(EffectCache::Read(file, "source changed", &read, &problem),
              EffectCache::Lookup::kMiss);
    EXPECT_EQ(EffectCache::Read("properties/other.hlsl", "source", &read, &problem),
              EffectCache::Lookup::kMiss);
    EXPECT_EQ(EffectCache::PathFor("../outside.hlsl"), "");

    const std::string path = EffectCache::PathFor(file);
    std::string whole;
    ASSERT_TRUE(PakInterfaceBase::Get()->ReadWholeFile(path, &whole));
    const size_t body = whole.find('\n') + 1;
    const struct {
        const char* what;
        std::string text;
    } damaged[] = {
        {"empty", ""},
        {"another kind of file", "<settings/>\n"},
        {"cut off after the key", whole.substr(0, body)},
        {"cut off in the first stage", whole.substr(0, body + 30)},
        {"cut off before its last line end", whole.substr(0, whole.size() - 1)},
        {"more after the end", whole + "x"},
        {"a count far too large",
         whole.substr(0, body) + "stage - 99999999 0 0 0\n" + whole.substr(body)},
        {"a constant past its registers",
         std::string(whole).replace(whole.find("Level 16"), 8, "Level 99")},
    };
    for (const auto& d : damaged) {
        ASSERT_TRUE(WriteBufferToFile(path, d.text));
        problem.clear();
        EXPECT_EQ(EffectCache::Read(file, "source", &read, &problem), EffectCache::Lookup::kCorrupt)
            << d.what;
        EXPECT_NE(problem.find(path), std::string::npos) << d.what << ": " << problem;
    }
}

// Effect files made to break the translator: nesting deep enough to overflow its stack, and
// macros that double at each step to gigabytes. Each costs that effect and one log line; the
// game goes on, and the next effect translates as ever. Nothing of a failed translation is kept.
TEST_F(ShaderEffectTest, AFileThatBreaksTheTranslatorCostsOnlyThatEffect) {
    std::string deep = kPlainEffect;
    deep.replace(deep.find("color * Level;\n    return o;"), 13,
                 "color * " + std::string(50000, '(') + "Level" + std::string(50000, ')') + ";");
    WriteEffect("deep", deep);
    std::string swelling = "#define W0 Level\n";
    for (int i = 1; i <= 48; ++i) {
        swelling += StrFormat("#define W%d W%d + W%d\n", i, i - 1, i - 1);
    }
    std::string swollen = kPlainEffect;
    swollen.replace(swollen.find("* color * Level;"), 16, "* color * (W48);");
    WriteEffect("swelling", swelling + swollen);
    WriteEffect("plain", kPlainEffect);

    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadShaderEffect("deep"), nullptr);
    EXPECT_EQ(LoadShaderEffect("swelling"), nullptr);
    EXPECT_EQ(LoadShaderEffect("deep"), nullptr);  // reported once
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("\"properties/deep.hlsl\": the translator crashed"), std::string::npos)
        << log;
    EXPECT_NE(log.find("\"properties/swelling.hlsl\": the translator "), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
    EXPECT_FALSE(std::filesystem::exists(EffectCache::PathFor("properties/deep.hlsl")));

    auto effect = LoadShaderEffect("plain");
    ASSERT_NE(effect, nullptr);
    effect->SetConstants("Level", 1.0f);
    auto target = DrawWhite(effect.get(), 8, 0);
    EXPECT_EQ(target->GetPixel(4, 4) | 0xFF000000u, 0xFFFFFFFFu);
}

// No entry the game writes is larger than some megabytes: a larger file in its place, even one
// that reads as an entry of the right source, is not read (a miss, translated anew).
TEST_F(ShaderEffectTest, ACacheEntryLargerThanTheGameWritesIsNotRead) {
    TranslatedEffect code;
    code.mVertex.mGlsl = "#version 330\nvoid main() {}\n";
    code.mPixel.mGlsl = "#version 330\nvoid main() {}\n";
    const std::string file = "properties/swollen.hlsl";
    EffectCache::Write(file, "source", code);
    TranslatedEffect read;
    std::string problem;
    ASSERT_EQ(EffectCache::Read(file, "source", &read, &problem), EffectCache::Lookup::kHit);

    const std::string path = EffectCache::PathFor(file);
    std::string whole;
    ASSERT_TRUE(PakInterfaceBase::Get()->ReadWholeFile(path, &whole));
    const std::string swollen = "#version 330\n// " + std::string(size_t{5} << 20, 'x') + "\n";
    const size_t pixel = whole.rfind("stage - ");
    ASSERT_NE(pixel, std::string::npos);
    ASSERT_TRUE(WriteBufferToFile(path, whole.substr(0, pixel) + "stage - 0 0 0 " +
                                            std::to_string(swollen.size()) + "\n" + swollen +
                                            "\n"));
    EXPECT_EQ(EffectCache::Read(file, "source", &read, &problem), EffectCache::Lookup::kMiss);
    // Nor is one that large written.
    code.mPixel.mGlsl = swollen;
    EffectCache::Write("properties/large.hlsl", "source", code);
    EXPECT_FALSE(std::filesystem::exists(EffectCache::PathFor("properties/large.hlsl")));
}

// What the translator hands the device: vertex inputs by semantic, the stages joined by
// semantic, constants found by name in one flattened array per stage, the file's lines.
TEST(HlslTranslatorTest, SemanticsAndRegisters) {
    TranslatedEffect effect;
    std::string error;
    ASSERT_TRUE(HlslTranslator::Translate(kPlainEffect, "plain.hlsl", &effect, &error)) << error;
    EXPECT_NE(effect.mVertex.mGlsl.find("layout(location = 3) in vec4"), std::string::npos)
        << effect.mVertex.mGlsl;
    EXPECT_NE(effect.mVertex.mGlsl.find("gl_Position"), std::string::npos);
    EXPECT_NE(effect.mVertex.mGlsl.find("out vec4 vary_COLOR0"), std::string::npos);
    EXPECT_NE(effect.mPixel.mGlsl.find("in vec4 vary_COLOR0"), std::string::npos)
        << effect.mPixel.mGlsl;
    EXPECT_EQ(effect.mVertex.mConstants.at("WorldViewProj"), 0);
    EXPECT_EQ(effect.mVertex.mConstants.at("Level"), 16);
    EXPECT_EQ(effect.mVertex.mRegisterCount, 5);
    EXPECT_EQ(effect.mPixel.mSamplers.size(), 1u);
    // The pixel shader's one statement stands on line 17 of the file, and a driver says so.
    const std::string& pixel = effect.mPixel.mGlsl;
    const size_t statement = pixel.find("texture(Picture");
    ASSERT_NE(statement, std::string::npos) << pixel;
    EXPECT_EQ(pixel.rfind("#line ", statement), pixel.rfind("#line 17 0\n", statement)) << pixel;
    EXPECT_EQ(pixel.find("#extension"), std::string::npos) << pixel;

    std::string unfed = kPlainEffect;
    unfed.replace(unfed.find("COLOR0) {"), 6, "NORMAL");
    EXPECT_FALSE(HlslTranslator::Translate(unfed, "unfed.hlsl", &effect, &error));
    EXPECT_NE(error.find("\"NORMAL0\""), std::string::npos) << error;
}
