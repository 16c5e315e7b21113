#include "graphics/ShaderEffect.h"

#include <cstdio>
#include <mutex>
#include <set>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include "core/expr/MainThread.h"
#include "core/expr/NamedConstants.h"
#include "core/files/PakInterfaceBase.h"
#include "core/util/Log.h"
#include "core/util/StringUtil.h"
#include "graphics/D3DInterface.h"
#include "graphics/EffectCache.h"
#include "graphics/EffectTranslator.h"
#include "graphics/GlProgram.h"
#include "graphics/HlslTranslator.h"

namespace {

const char* const kViewConstant = "WorldViewProj";

std::mutex gEffectsLock;
std::set<ShaderEffect*> gLiveEffects;
// Each file's translation, or null when it failed (already reported).
std::map<std::string, std::shared_ptr<const TranslatedEffect>> gTranslations;

std::vector<float> RegistersFor(const TranslatedStage& stage) {
    return std::vector<float>(size_t(stage.mRegisterCount) * 4, 0.0f);
}

void Store(const TranslatedStage& stage, std::vector<float>* registers, const std::string& name,
           const float* values, size_t count) {
    auto it = stage.mConstants.find(name);
    if (it == stage.mConstants.end()) {
        return;
    }
    for (size_t i = 0; i < count && size_t(it->second) + i < registers->size(); ++i) {
        (*registers)[size_t(it->second) + i] = values[i];
    }
}

// The first line of a GL log.
std::string FirstLine(const std::string& text) {
    size_t end = text.find('\n');
    return std::string(TrimBlanks(end == std::string::npos ? text : text.substr(0, end)));
}

// The first line of a GL driver's compile log of a translated stage, naming the effect file's
// line ("line N: message") where the driver names one.
std::string DriverMessage(const std::string& log) {
    const std::string first = FirstLine(log);
    // "S:L(C): message" (Mesa) or "S(L) : message"; S is the source string the translation's
    // line directives name: 0 the effect file, 1 the translator's declarations.
    int source = 0;
    int line = 0;
    int used = 0;
    if (std::sscanf(first.c_str(), "%d:%d(%*d):%n", &source, &line, &used) < 2 || used == 0) {
        used = 0;
        if (std::sscanf(first.c_str(), "%d(%d) :%n", &source, &line, &used) < 2 || used == 0) {
            return first;
        }
    }
    const std::string message(TrimBlanks(std::string_view(first).substr(size_t(used))));
    if (source == 0) {
        return StrFormat("line %d: %s", line, message.c_str());
    }
    return StrFormat("line %d of the translator's declarations: %s", line, message.c_str());
}

GLuint CompileStage(GLenum type, const std::string& source, const char* title, std::string* error) {
    std::string log;
    GLuint shader = GlProgram::Compile(type, source.c_str(), &log);
    if (shader == 0) {
        *error = StrFormat("%s, %s", title, DriverMessage(log).c_str());
    }
    return shader;
}

// The program of one file's translation on the device, shared by every effect of the file:
// each "shader" command makes an effect, and a compile per effect would stall the screen.
struct SharedProgram {
    GLuint mId = 0;
    int mVertexLocation = -1;
    int mPixelLocation = -1;
    int mUseMask = -1;
    int mMaskBounds = -1;
};
std::map<const TranslatedEffect*, SharedProgram> gPrograms;

// Compiles and links the translation; false with *error naming the stage, line and message.
bool BuildProgram(const TranslatedEffect& code, SharedProgram* out, std::string* error) {
    GLuint vs = CompileStage(GL_VERTEX_SHADER, code.mVertex.mGlsl, "vertex shader \"VS\"", error);
    GLuint fs =
        vs == 0 ? 0
                : CompileStage(GL_FRAGMENT_SHADER, code.mPixel.mGlsl, "pixel shader \"PS\"", error);
    if (vs == 0 || fs == 0) {
        glDeleteShader(vs);
        return false;
    }
    std::string log;
    GLuint id = GlProgram::Link(vs, fs, &log);
    if (id == 0) {
        *error = StrFormat("linking the two shaders: %s", FirstLine(log).c_str());
        return false;
    }
    out->mId = id;
    auto location = [id](const TranslatedStage& stage) {
        return stage.mRegisters.empty() ? -1 : glGetUniformLocation(id, stage.mRegisters.c_str());
    };
    out->mVertexLocation = location(code.mVertex);
    out->mPixelLocation = location(code.mPixel);
    out->mUseMask = glGetUniformLocation(id, "uUseMask");
    out->mMaskBounds = glGetUniformLocation(id, "uMaskBounds");
    glUseProgram(id);
    for (const TranslatedStage* stage : {&code.mVertex, &code.mPixel}) {
        for (const std::string& sampler : stage->mSamplers) {
            glUniform1i(glGetUniformLocation(id, sampler.c_str()), 0);
        }
    }
    // The translator's mask, after the effect's own samplers: the device binds masks there.
    glUniform1i(glGetUniformLocation(id, "uMask"), 1);
    return true;
}

}  // namespace

ShaderEffect::ShaderEffect(std::string fileName, std::shared_ptr<const TranslatedEffect> code)
    : mFileName(std::move(fileName)),
      mCode(std::move(code)),
      mVertexRegisters(RegistersFor(mCode->mVertex)),
      mPixelRegisters(RegistersFor(mCode->mPixel)) {
    std::lock_guard<std::mutex> lock(gEffectsLock);
    gLiveEffects.insert(this);
}

ShaderEffect::~ShaderEffect() {
    D3DInterface* device = D3DInterface::Get();
    if (device != nullptr && IsMainThread()) {
        // A pending draw may still name this effect: it goes out before the effect does.
        device->Flush();
    }
    std::lock_guard<std::mutex> lock(gEffectsLock);
    gLiveEffects.erase(this);
}

void ShaderEffect::DropPrograms() {
    for (auto& [code, program] : gPrograms) {
        glDeleteProgram(program.mId);
    }
    gPrograms.clear();
}

size_t ShaderEffect::GetLiveCount() {
    std::lock_guard<std::mutex> lock(gEffectsLock);
    return gLiveEffects.size();
}

void ShaderEffect::SetConstants(const std::string& name, float value) {
    mValues[name] = value;
    Store(mCode->mVertex, &mVertexRegisters, name, &value, 1);
    Store(mCode->mPixel, &mPixelRegisters, name, &value, 1);
}

bool ShaderEffect::GetConstant(const std::string& name, float* value) const {
    auto it = mValues.find(name);
    if (it == mValues.end()) {
        return false;
    }
    *value = it->second;
    return true;
}

bool ShaderEffect::Build(std::string* error) {
    if (gPrograms.count(mCode.get()) != 0) {
        return true;
    }
    SharedProgram program;
    if (!BuildProgram(*mCode, &program, error)) {
        return false;
    }
    gPrograms[mCode.get()] = program;
    return true;
}

bool ShaderEffect::Use(const Matrix4& view, const float* maskBounds) {
    std::string error;
    if (mBuildFailed || !Build(&error)) {
        if (!mBuildFailed) {
            LogWarning("Shader effect \"%s\": %s", mFileName.c_str(), error.c_str());
        }
        mBuildFailed = true;
        return false;
    }
    const SharedProgram& program = gPrograms[mCode.get()];
    // mul(position, WorldViewProj) in the effect's terms is the device's view times the
    // position: the registers hold the view's rows.
    float rows[16];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            rows[r * 4 + c] = view.m[c][r];
        }
    }
    Store(mCode->mVertex, &mVertexRegisters, kViewConstant, rows, 16);
    Store(mCode->mPixel, &mPixelRegisters, kViewConstant, rows, 16);
    glUseProgram(program.mId);
    if (program.mVertexLocation >= 0) {
        glUniform4fv(program.mVertexLocation, GLsizei(mVertexRegisters.size() / 4),
                     mVertexRegisters.data());
    }
    if (program.mPixelLocation >= 0) {
        glUniform4fv(program.mPixelLocation, GLsizei(mPixelRegisters.size() / 4),
                     mPixelRegisters.data());
    }
    glUniform1i(program.mUseMask, maskBounds != nullptr ? 1 : 0);
    if (maskBounds != nullptr) {
        glUniform4fv(program.mMaskBounds, 1, maskBounds);
    }
    return true;
}

namespace {

bool EffectsOn() {
    ExprValue enabled;
    return !FindConstant("shaders", &enabled) || enabled.AsBool();
}

// The file's translation, made on first use; null when the file is missing or does not
// translate (reported once).
std::shared_ptr<const TranslatedEffect> TranslationOf(const std::string& file) {
    {
        std::lock_guard<std::mutex> lock(gEffectsLock);
        auto it = gTranslations.find(file);
        if (it != gTranslations.end()) {
            return it->second;
        }
    }
    std::string source;
    if (!PakInterfaceBase::Get()->ReadWholeFile(file, &source)) {
        DebugOutput("Shader effect \"%s\" is missing; drawn without it\n", file.c_str());
        return nullptr;
    }
    auto translated = std::make_shared<TranslatedEffect>();
    std::string problem;
    const EffectCache::Lookup cached = EffectCache::Read(file, source, translated.get(), &problem);
    if (cached == EffectCache::Lookup::kCorrupt) {
        LogWarning("Shader effect cache: %s; translating \"%s\" again", problem.c_str(),
                   file.c_str());
    }
    // On a hit the translator is never run.
    std::string error;
    if (cached != EffectCache::Lookup::kHit) {
        if (EffectTranslator::Translate(source, file, translated.get(), &error)) {
            EffectCache::Write(file, source, *translated);
        } else {
            LogWarning("Shader effect \"%s\": %s", file.c_str(), error.c_str());
            if (error == EffectTranslator::kEndedAtQuit) {
                return nullptr;  // not the file's fault: a later application may translate it
            }
            translated.reset();
        }
    }
    std::lock_guard<std::mutex> lock(gEffectsLock);
    // Another thread may have been first: its result stands.
    return gTranslations.emplace(file, translated).first->second;
}

}  // namespace

void PrepareShaderEffects(const std::atomic<bool>& stop) {
    if (!EffectsOn()) {
        return;
    }
    PakInterfaceBase* files = PakInterfaceBase::Get();
    PFindData found;
    if (PFindHandle* search = files->FindFirstFile("properties/*.hlsl", &found)) {
        do {
            if (!found.mIsFolder && !stop) {
                TranslationOf("properties/" + found.mName);
            }
        } while (!stop && files->FindNextFile(search, &found));
        files->FindClose(search);
    }
}

std::unique_ptr<ShaderEffect> LoadShaderEffect(const std::string& name) {
    if (name.empty() || !EffectsOn()) {
        return nullptr;
    }
    const std::string file = "properties/" + name + ".hlsl";
    std::shared_ptr<const TranslatedEffect> code = TranslationOf(file);
    if (!code) {
        return nullptr;
    }
    auto effect = std::make_unique<ShaderEffect>(file, code);
    if (D3DInterface::Get() != nullptr && IsMainThread()) {
        std::string error;
        if (!effect->Build(&error)) {
            LogWarning("Shader effect \"%s\": %s", file.c_str(), error.c_str());
            std::lock_guard<std::mutex> lock(gEffectsLock);
            gTranslations[file] = nullptr;
            return nullptr;
        }
    }
    return effect;
}
