#include "core/UniformSnapshot.h"

#include <algorithm>

namespace Quessel {

namespace {
enum Base { Float, Int, Unsigned, Matrix };

// Value types in rows by how they are read and written (float, int, bool, unsigned, matrix),
// with 1 to 4 components (a matrix: columns).
constexpr Base Bases[] = {Float, Int, Int, Unsigned, Matrix};
constexpr GLenum Types[] = {GL_FLOAT,        GL_FLOAT_VEC2,        GL_FLOAT_VEC3,        GL_FLOAT_VEC4,
                            GL_INT,          GL_INT_VEC2,          GL_INT_VEC3,          GL_INT_VEC4,
                            GL_BOOL,         GL_BOOL_VEC2,         GL_BOOL_VEC3,         GL_BOOL_VEC4,
                            GL_UNSIGNED_INT, GL_UNSIGNED_INT_VEC2, GL_UNSIGNED_INT_VEC3, GL_UNSIGNED_INT_VEC4,
                            GL_NONE,         GL_FLOAT_MAT2,        GL_FLOAT_MAT3,        GL_FLOAT_MAT4};
// Samplers and images hold their texture unit; GL numbers their types in these runs.
constexpr GLenum UnitTypes[][2] = {
    {GL_SAMPLER_1D, GL_SAMPLER_2D_RECT_SHADOW},
    {GL_SAMPLER_1D_ARRAY, GL_SAMPLER_CUBE_SHADOW},
    {GL_INT_SAMPLER_1D, GL_UNSIGNED_INT_SAMPLER_BUFFER},
    {GL_SAMPLER_CUBE_MAP_ARRAY, GL_UNSIGNED_INT_SAMPLER_CUBE_MAP_ARRAY},
    {GL_IMAGE_1D, GL_UNSIGNED_INT_IMAGE_2D_MULTISAMPLE_ARRAY},
    {GL_SAMPLER_2D_MULTISAMPLE, GL_UNSIGNED_INT_SAMPLER_2D_MULTISAMPLE_ARRAY},
};

// The type's base and components; 0 components for a type not kept.
std::pair<Base, int> shapeOf(GLenum type) {
    for (int at = 0; at < static_cast<int>(std::size(Types)); ++at)
        if (type != GL_NONE && Types[at] == type) return {Bases[at / 4], at % 4 + 1};
    for (const auto& [first, last] : UnitTypes)
        if (type >= first && type <= last) return {Int, 1};
    return {Int, 0};
}
}  // namespace

UniformSnapshot UniformSnapshot::of(GLuint program) {
    UniformSnapshot snapshot;
    GLint count = 0, longest = 0;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
    glGetProgramiv(program, GL_ACTIVE_UNIFORM_MAX_LENGTH, &longest);
    std::vector<char> text(static_cast<std::size_t>(std::max(longest, 1)) + 1);
    for (GLuint index = 0; index < static_cast<GLuint>(count); ++index) {
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program, index, static_cast<GLsizei>(text.size()), nullptr, &size, &type, text.data());
        const auto [base, components] = shapeOf(type);
        // Arrays are listed as "name[0]"; their elements are read and set one by one. Members
        // of uniform blocks have no location.
        const std::string name = text.data();
        for (GLint element = 0; element < size && components > 0; ++element) {
            Value value{size > 1 ? name.substr(0, name.find('[')) + "[" + std::to_string(element) + "]" : name, type};
            value.location = glGetUniformLocation(program, value.name.c_str());
            GLint* words = value.words.data();
            if (value.location < 0) continue;
            if (base == Int) glGetUniformiv(program, value.location, words);
            if (base == Unsigned) glGetUniformuiv(program, value.location, reinterpret_cast<GLuint*>(words));
            if (base == Float || base == Matrix)
                glGetUniformfv(program, value.location, reinterpret_cast<GLfloat*>(words));
            snapshot.values.push_back(value);
        }
    }
    return snapshot;
}

// The program's own values are read on the way; only their names, types and locations count.
int UniformSnapshot::restore(GLuint program) const {
    const std::vector<Value> active = of(program).values;
    int written = 0;
    for (const Value& value : values) {
        for (const Value& same : active) {
            if (same.name != value.name || same.type != value.type) continue;
            const auto [base, components] = shapeOf(value.type);
            const GLint* words = value.words.data();
            const auto* floats = reinterpret_cast<const GLfloat*>(words);
            const int at = components - 1;
            const PFNGLPROGRAMUNIFORM1FVPROC setFloats[] = {glProgramUniform1fv, glProgramUniform2fv,
                                                            glProgramUniform3fv, glProgramUniform4fv};
            const PFNGLPROGRAMUNIFORM1IVPROC setInts[] = {glProgramUniform1iv, glProgramUniform2iv, glProgramUniform3iv,
                                                          glProgramUniform4iv};
            const PFNGLPROGRAMUNIFORM1UIVPROC setUnsigned[] = {glProgramUniform1uiv, glProgramUniform2uiv,
                                                               glProgramUniform3uiv, glProgramUniform4uiv};
            const PFNGLPROGRAMUNIFORMMATRIX2FVPROC setMatrices[] = {
                nullptr, glProgramUniformMatrix2fv, glProgramUniformMatrix3fv, glProgramUniformMatrix4fv};
            if (base == Float) setFloats[at](program, same.location, 1, floats);
            if (base == Int) setInts[at](program, same.location, 1, words);
            if (base == Unsigned) setUnsigned[at](program, same.location, 1, reinterpret_cast<const GLuint*>(words));
            if (base == Matrix) setMatrices[at](program, same.location, 1, GL_FALSE, floats);
            ++written;
        }
    }
    return written;
}

}  // namespace Quessel
