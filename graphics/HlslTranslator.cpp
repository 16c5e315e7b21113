#include "graphics/HlslTranslator.h"

// Debian's glslang is built with its HLSL front end; the headers show its switches only so.
#define ENABLE_HLSL 1
#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>
#include <glslang/build_info.h>
#include <spirv_cross/spirv_cross_c.h>

#include <elf.h>
#include <link.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>
#include <string_view>

#include "core/util/StringUtil.h"
#include "graphics/GlProgram.h"

namespace {

struct StageInfo {
    EShLanguage mLanguage;
    const char* mEntry;
    const char* mTitle;      // for messages
    const char* mRegisters;  // the flattened constant array's name
};

// The front end's process-wide tables (some megabytes) exist between the first translation and
// ReleaseTables; one translation runs at a time.
std::mutex gTranslatorLock;
bool gTablesBuilt = false;

const StageInfo kVertexStage{EShLangVertex, "VS", "vertex shader", "uVertexRegisters"};
const StageInfo kPixelStage{EShLangFragment, "PS", "pixel shader", "uPixelRegisters"};

// "TEXCOORD" and "TEXCOORD0" name the same register; upper case as the device spells them.
std::string NormalSemantic(const char* semantic) {
    std::string s;
    for (const char* p = semantic; p != nullptr && *p != '\0'; ++p) {
        s += char(std::toupper(static_cast<unsigned char>(*p)));
    }
    if (!s.empty() && !std::isdigit(static_cast<unsigned char>(s.back()))) {
        s += '0';
    }
    return s;
}

// The vertex stream's attribute for a vertex-shader input semantic; -1 when the stream has none.
int AttributeFor(const std::string& semantic) {
    if (semantic == "POSITION0") {
        return 0;
    }
    if (semantic == "TEXCOORD0") {
        return 1;
    }
    if (semantic == "TEXCOORD1") {
        return 2;
    }
    if (semantic == "COLOR0") {
        return 3;
    }
    return -1;
}

// The first error of a compiler log as "line N: message": glslang writes
// "ERROR: <file>:<line>: <message>".
std::string FirstError(const std::string& log, const std::string& fileName) {
    size_t start = log.find("ERROR: ");
    if (start == std::string::npos) {
        return std::string(TrimBlanks(log));
    }
    start += 7;
    size_t end = log.find('\n', start);
    std::string line =
        log.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const std::string prefix = fileName + ":";
    if (line.compare(0, prefix.size(), prefix) == 0) {
        size_t colon = line.find(':', prefix.size());
        if (colon != std::string::npos) {
            return "line " + line.substr(prefix.size(), colon - prefix.size()) + ":" +
                   line.substr(colon + 1);
        }
    }
    return line;
}

// The translator writes "#line N \"file\"" under an extension that GL drivers do not offer.
// Core GLSL's "#line N S" names a line of source string S instead: the effect file's lines are
// string 0, and the translator's own declarations before them string 1 (their line in the text),
// so that a driver's message tells the one from the other.
std::string PlainLineDirectives(const char* glsl) {
    static const std::string kExtension = "#extension GL_GOOGLE_cpp_style_line_directive";
    std::string out;
    const std::string text(glsl);
    size_t start = 0;
    int lineNumber = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string_view line(text.data() + start, end - start);
        start = end;
        if (line.substr(0, kExtension.size()) == kExtension) {
            continue;
        }
        ++lineNumber;
        if (line.substr(0, 6) == "#line ") {
            const size_t digits = line.find_first_not_of("0123456789", 6);
            out.append(line.substr(0, digits));
            out.append(" 0\n");
            continue;
        }
        out.append(line);
        if (line.substr(0, 9) == "#version ") {
            out.append(StrFormat("#line %d 1\n", lineNumber + 1));
        }
    }
    return out;
}

// Every draw's mask applies to effects as well: the effect's main becomes a function that the
// translator's own main calls; the vertex shader then hands on the mask's texture coordinates
// (inputRead: how it reads them, empty for an attribute of its own), and the pixel shader cuts
// the effect's colour by the mask (GlProgram::kMaskFunction). The added lines are counted as the
// translator's declarations (source string 1).
bool AddMask(std::string* glsl, bool vertex, const std::string& inputRead) {
    static const std::string kMain = "\nvoid main()\n";
    const size_t at = glsl->find(kMain);
    if (at == std::string::npos) {
        return false;
    }
    glsl->replace(at, kMain.size(), "\nvoid EffectMain()\n");
    if (glsl->back() != '\n') {
        *glsl += '\n';
    }
    const long lines = std::count(glsl->begin(), glsl->end(), '\n');
    *glsl += StrFormat("#line %ld 1\n", lines + 2);
    if (vertex) {
        if (inputRead.empty()) {
            *glsl += "layout(location = 2) in vec2 aMaskUV;\n";
        }
        *glsl += "out vec2 vMaskUV;\nvoid main()\n{\n    EffectMain();\n    vMaskUV = " +
                 (inputRead.empty() ? std::string("aMaskUV") : inputRead) + ";\n}\n";
    } else {
        *glsl += std::string("in vec2 vMaskUV;\n") + GlProgram::kMaskFunction +
                 "void main()\n{\n    EffectMain();\n    oColor *= MaskAlpha(vMaskUV);\n}\n";
    }
    return true;
}

bool MakeSpirv(const std::string& source, const std::string& fileName, const StageInfo& stage,
               std::vector<unsigned>* spirv, std::string* error) {
    glslang::TShader shader(stage.mLanguage);
    const char* text = source.c_str();
    const int length = int(source.size());
    const char* name = fileName.c_str();
    shader.setStringsWithLengthsAndNames(&text, &length, &name, 1);
    shader.setEntryPoint(stage.mEntry);
    shader.setEnvInput(glslang::EShSourceHlsl, stage.mLanguage, glslang::EShClientVulkan, 100);
    shader.setEnvClient(glslang::EShClientVulkan, glslang::EShTargetVulkan_1_0);
    shader.setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
    // Keeps the semantics in the SPIR-V: stages and the vertex stream are matched by them.
    shader.setEnvTargetHlslFunctionality1();
    shader.setAutoMapBindings(true);
    shader.setAutoMapLocations(true);
    const auto messages =
        EShMessages(EShMsgSpvRules | EShMsgVulkanRules | EShMsgReadHlsl | EShMsgHlslDX9Compatible);
    if (!shader.parse(GetDefaultResources(), 100, false, messages)) {
        *error = StrFormat("%s \"%s\", %s", stage.mTitle, stage.mEntry,
                           FirstError(shader.getInfoLog(), fileName).c_str());
        return false;
    }
    glslang::TProgram program;
    program.addShader(&shader);
    if (!program.link(messages) || !program.mapIO()) {
        *error = StrFormat("%s \"%s\", %s", stage.mTitle, stage.mEntry,
                           FirstError(program.getInfoLog(), fileName).c_str());
        return false;
    }
    glslang::SpvOptions options;
    // Each statement's source line rides along, so that the translated text can carry it.
    options.generateDebugInfo = true;
    glslang::GlslangToSpv(*program.getIntermediate(stage.mLanguage), *spirv, &options);
    return !spirv->empty();
}

// SPIRV-Cross's objects all belong to its context; this frees them on every road out.
struct CrossContext {
    spvc_context mContext = nullptr;
    CrossContext() { spvc_context_create(&mContext); }
    ~CrossContext() { spvc_context_destroy(mContext); }
    CrossContext(const CrossContext&) = delete;
    CrossContext& operator=(const CrossContext&) = delete;
};

using ResourceList = std::vector<spvc_reflected_resource>;

ResourceList ResourcesOf(spvc_resources resources, spvc_resource_type type) {
    const spvc_reflected_resource* list = nullptr;
    size_t count = 0;
    if (spvc_resources_get_resource_list_for_type(resources, type, &list, &count) != SPVC_SUCCESS) {
        return {};
    }
    return ResourceList(list, list + count);
}

bool MakeGlsl(const std::vector<unsigned>& spirv, const StageInfo& stage, TranslatedStage* out,
              std::string* error) {
    CrossContext cross;
    auto fail = [&](const std::string& what) {
        *error = StrFormat("%s \"%s\": %s", stage.mTitle, stage.mEntry, what.c_str());
        return false;
    };
    spvc_parsed_ir ir = nullptr;
    spvc_compiler compiler = nullptr;
    if (cross.mContext == nullptr ||
        spvc_context_parse_spirv(cross.mContext, spirv.data(), spirv.size(), &ir) != SPVC_SUCCESS ||
        spvc_context_create_compiler(cross.mContext, SPVC_BACKEND_GLSL, ir,
                                     SPVC_CAPTURE_MODE_TAKE_OWNERSHIP, &compiler) != SPVC_SUCCESS) {
        return fail(cross.mContext != nullptr ? spvc_context_get_last_error_string(cross.mContext)
                                              : "no translator");
    }
    spvc_compiler_options options = nullptr;
    spvc_compiler_create_compiler_options(compiler, &options);
    spvc_compiler_options_set_uint(options, SPVC_COMPILER_OPTION_GLSL_VERSION, 330);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_FALSE);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ENABLE_420PACK_EXTENSION,
                                   SPVC_FALSE);
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_EMIT_LINE_DIRECTIVES, SPVC_TRUE);
    spvc_compiler_install_compiler_options(compiler, options);
    spvc_compiler_build_combined_image_samplers(compiler);

    spvc_resources resources = nullptr;
    spvc_compiler_create_shader_resources(compiler, &resources);
    const bool vertex = stage.mLanguage == EShLangVertex;
    // The mask's texture coordinates as the vertex shader reads them: the effect's own input of
    // that semantic when it takes one (two inputs on one attribute may fail to link), else ours.
    std::string maskInput;
    for (const spvc_reflected_resource& input :
         ResourcesOf(resources, SPVC_RESOURCE_TYPE_STAGE_INPUT)) {
        std::string semantic = NormalSemantic(
            spvc_compiler_get_decoration_string(compiler, input.id, SpvDecorationUserSemantic));
        if (vertex) {
            int attribute = AttributeFor(semantic);
            if (attribute < 0) {
                return fail("input \"" + semantic + "\" is not one the device feeds");
            }
            spvc_compiler_set_decoration(compiler, input.id, SpvDecorationLocation, attribute);
            if (semantic == "TEXCOORD1") {
                spvc_compiler_set_name(compiler, input.id, "aMaskUV");
                const unsigned size = spvc_type_get_vector_size(
                    spvc_compiler_get_type_handle(compiler, input.type_id));
                maskInput = size >= 2 ? "aMaskUV.xy" : "vec2(aMaskUV, 0.0)";
            }
        } else {
            spvc_compiler_set_name(compiler, input.id, ("vary_" + semantic).c_str());
        }
    }
    bool hasColor = false;
    for (const spvc_reflected_resource& output :
         ResourcesOf(resources, SPVC_RESOURCE_TYPE_STAGE_OUTPUT)) {
        if (!vertex) {
            // The colour (the output at location 0) is what the mask cuts.
            if (spvc_compiler_get_decoration(compiler, output.id, SpvDecorationLocation) == 0 &&
                !hasColor) {
                spvc_compiler_set_name(compiler, output.id, "oColor");
                hasColor = true;
            }
            continue;
        }
        std::string semantic = NormalSemantic(
            spvc_compiler_get_decoration_string(compiler, output.id, SpvDecorationUserSemantic));
        if (semantic == "POSITION0" || semantic == "SV_POSITION0") {
            // Shader model 2 and 3 name the clip-space position so; it is GL's gl_Position.
            spvc_compiler_set_decoration(compiler, output.id, SpvDecorationBuiltIn,
                                         SpvBuiltInPosition);
        } else {
            spvc_compiler_set_name(compiler, output.id, ("vary_" + semantic).c_str());
        }
    }
    const ResourceList blocks = ResourcesOf(resources, SPVC_RESOURCE_TYPE_UNIFORM_BUFFER);
    if (blocks.size() > 1) {
        return fail("constants must be plain global floats (one constant buffer)");
    }
    for (const spvc_reflected_resource& block : blocks) {
        spvc_compiler_flatten_buffer_block(compiler, block.id);
        // The flattened array takes the block's type name; each stage gets its own, since GL
        // would join two arrays of one name into one.
        spvc_compiler_set_name(compiler, block.id, stage.mRegisters);
        spvc_compiler_set_name(compiler, block.base_type_id, stage.mRegisters);
        spvc_type type = spvc_compiler_get_type_handle(compiler, block.base_type_id);
        size_t size = 0;
        spvc_compiler_get_declared_struct_size(compiler, type, &size);
        out->mRegisters = stage.mRegisters;
        out->mRegisterCount = int((size + 15) / 16);
        const unsigned members = spvc_type_get_num_member_types(type);
        for (unsigned i = 0; i < members; ++i) {
            unsigned offset = 0;
            spvc_compiler_type_struct_member_offset(compiler, type, i, &offset);
            out->mConstants[spvc_compiler_get_member_name(compiler, block.base_type_id, i)] =
                int(offset / 4);
        }
    }
    for (const spvc_reflected_resource& sampler :
         ResourcesOf(resources, SPVC_RESOURCE_TYPE_SAMPLED_IMAGE)) {
        out->mSamplers.push_back(spvc_compiler_get_name(compiler, sampler.id));
    }
    const spvc_combined_image_sampler* combined = nullptr;
    size_t combinedCount = 0;
    spvc_compiler_get_combined_image_samplers(compiler, &combined, &combinedCount);
    for (size_t i = 0; i < combinedCount; ++i) {
        out->mSamplers.push_back(spvc_compiler_get_name(compiler, combined[i].combined_id));
    }
    const char* glsl = nullptr;
    if (spvc_compiler_compile(compiler, &glsl) != SPVC_SUCCESS || glsl == nullptr) {
        return fail(spvc_context_get_last_error_string(cross.mContext));
    }
    out->mGlsl = PlainLineDirectives(glsl);
    if (!vertex && !hasColor) {
        return true;  // no colour: nothing for a mask to cut
    }
    if (!AddMask(&out->mGlsl, vertex, maskInput)) {
        return fail("the translation has no main function to hand the mask on from");
    }
    return true;
}

// The GNU build id of the program itself (the first object dl_iterate_phdr lists), in hex;
// empty when it was linked without one.
std::string ProgramBuildId() {
    std::string id;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            auto* out = static_cast<std::string*>(data);
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr)& header = info->dlpi_phdr[i];
                if (header.p_type != PT_NOTE) {
                    continue;
                }
                const size_t align = header.p_align == 8 ? 8 : 4;
                auto padded = [align](size_t n) { return (n + align - 1) & ~(align - 1); };
                const char* at = reinterpret_cast<const char*>(info->dlpi_addr + header.p_vaddr);
                const char* end = at + header.p_memsz;
                while (at + sizeof(ElfW(Nhdr)) <= end) {
                    const auto* note = reinterpret_cast<const ElfW(Nhdr)*>(at);
                    const char* name = at + sizeof(ElfW(Nhdr));
                    const auto* desc =
                        reinterpret_cast<const unsigned char*>(name + padded(note->n_namesz));
                    if (note->n_type == NT_GNU_BUILD_ID && note->n_namesz == 4 &&
                        std::memcmp(name, "GNU", 4) == 0 &&
                        reinterpret_cast<const char*>(desc) + note->n_descsz <= end) {
                        for (size_t b = 0; b < note->n_descsz; ++b) {
                            *out += StrFormat("%02x", desc[b]);
                        }
                        return 1;
                    }
                    at = reinterpret_cast<const char*>(desc) + padded(note->n_descsz);
                }
            }
            return 1;  // only the program itself
        },
        &id);
    return id;
}

}  // namespace

std::string HlslTranslator::BuildIdentity() {
    static const std::string identity = [] {
        unsigned major = 0;
        unsigned minor = 0;
        unsigned patch = 0;
        spvc_get_version(&major, &minor, &patch);
        return StrFormat("glslang %d.%d.%d, SPIRV-Cross %u.%u.%u, build %s", GLSLANG_VERSION_MAJOR,
                         GLSLANG_VERSION_MINOR, GLSLANG_VERSION_PATCH, major, minor, patch,
                         ProgramBuildId().c_str());
    }();
    return identity;
}

void HlslTranslator::ReleaseTables() {
    std::lock_guard<std::mutex> lock(gTranslatorLock);
    if (gTablesBuilt) {
        glslang::FinalizeProcess();
        gTablesBuilt = false;
    }
}

bool HlslTranslator::Translate(const std::string& source, const std::string& fileName,
                               TranslatedEffect* out, std::string* error) {
    std::lock_guard<std::mutex> lock(gTranslatorLock);
    if (!gTablesBuilt) {
        glslang::InitializeProcess();
        gTablesBuilt = true;
    }
    for (const StageInfo* stage : {&kVertexStage, &kPixelStage}) {
        std::vector<unsigned> spirv;
        TranslatedStage* result = stage == &kVertexStage ? &out->mVertex : &out->mPixel;
        if (!MakeSpirv(source, fileName, *stage, &spirv, error) ||
            !MakeGlsl(spirv, *stage, result, error)) {
            return false;
        }
    }
    return true;
}
