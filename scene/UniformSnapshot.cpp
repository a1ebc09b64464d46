#include "scene/UniformSnapshot.h"

#include <algorithm>

namespace Quessel {

namespace {
enum Base { Float, Int, Unsigned, Matrix };

// Value types by how they are read and written, with 1 to 4 components (a matrix: columns).
constexpr Base Bases[] = {Float, Int, Int, Unsigned, Matrix};
constexpr GLenum Types[][4] = {
    {GL_FLOAT, GL_FLOAT_VEC2, GL_FLOAT_VEC3, GL_FLOAT_VEC4},
    {GL_INT, GL_INT_VEC2, GL_INT_VEC3, GL_INT_VEC4},
    {GL_BOOL, GL_BOOL_VEC2, GL_BOOL_VEC3, GL_BOOL_VEC4},
    {GL_UNSIGNED_INT, GL_UNSIGNED_INT_VEC2, GL_UNSIGNED_INT_VEC3, GL_UNSIGNED_INT_VEC4},
    {GL_NONE, GL_FLOAT_MAT2, GL_FLOAT_MAT3, GL_FLOAT_MAT4},
};
// Samplers and images hold their texture unit; GL numbers their types in these runs.
constexpr GLenum UnitTypes[][2] = {
    {GL_SAMPLER_1D, GL_SAMPLER_2D_RECT_SHADOW},
    {GL_SAMPLER_1D_ARRAY, GL_SAMPLER_CUBE_SHADOW},
    {GL_INT_SAMPLER_1D, GL_UNSIGNED_INT_SAMPLER_BUFFER},
    {GL_SAMPLER_CUBE_MAP_ARRAY, GL_UNSIGNED_INT_SAMPLER_CUBE_MAP_ARRAY},
    {GL_IMAGE_1D, GL_UNSIGNED_INT_IMAGE_2D_MULTISAMPLE_ARRAY},
    {GL_SAMPLER_2D_MULTISAMPLE, GL_UNSIGNED_INT_SAMPLER_2D_MULTISAMPLE_ARRAY},
};

// Components of 0: a type not kept.
struct Shape {
    Base base;
    int size;
};

Shape shapeOf(GLenum type) {
    for (int row = 0; row < 5; ++row)
        for (int size = 1; size <= 4; ++size)
            if (type != GL_NONE && Types[row][size - 1] == type) return {Bases[row], size};
    for (const auto& [first, last] : UnitTypes)
        if (type >= first && type <= last) return {Int, 1};
    return {Int, 0};
}

void write(GLuint program, GLint location, const Shape& shape, const GLint* words) {
    const auto* floats = reinterpret_cast<const GLfloat*>(words);
    const int at = shape.size - 1;
    if (shape.base == Float) {
        const PFNGLPROGRAMUNIFORM1FVPROC set[] = {glProgramUniform1fv, glProgramUniform2fv, glProgramUniform3fv,
                                                  glProgramUniform4fv};
        set[at](program, location, 1, floats);
    } else if (shape.base == Int) {
        const PFNGLPROGRAMUNIFORM1IVPROC set[] = {glProgramUniform1iv, glProgramUniform2iv, glProgramUniform3iv,
                                                  glProgramUniform4iv};
        set[at](program, location, 1, words);
    } else if (shape.base == Unsigned) {
        const PFNGLPROGRAMUNIFORM1UIVPROC set[] = {glProgramUniform1uiv, glProgramUniform2uiv, glProgramUniform3uiv,
                                                   glProgramUniform4uiv};
        set[at](program, location, 1, reinterpret_cast<const GLuint*>(words));
    } else {
        const PFNGLPROGRAMUNIFORMMATRIX2FVPROC set[] = {nullptr, glProgramUniformMatrix2fv, glProgramUniformMatrix3fv,
                                                        glProgramUniformMatrix4fv};
        set[at](program, location, 1, GL_FALSE, floats);
    }
}
}  // namespace

std::vector<UniformSnapshot::Value> UniformSnapshot::activeUniforms(GLuint program) {
    std::vector<Value> uniforms;
    GLint count = 0;
    GLint longest = 0;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
    glGetProgramiv(program, GL_ACTIVE_UNIFORM_MAX_LENGTH, &longest);
    std::vector<char> text(static_cast<std::size_t>(std::max(longest, 1)) + 1);
    for (GLuint index = 0; index < static_cast<GLuint>(count); ++index) {
        GLint block = -1;
        glGetActiveUniformsiv(program, 1, &index, GL_UNIFORM_BLOCK_INDEX, &block);
        if (block != -1) continue;
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program, index, static_cast<GLsizei>(text.size()), nullptr, &size, &type, text.data());
        // Arrays are listed as "name[0]"; their elements are set one by one.
        const std::string name = text.data();
        for (GLint element = 0; element < size; ++element) {
            Value value{size > 1 ? name.substr(0, name.find('[')) + "[" + std::to_string(element) + "]" : name, type};
            value.location = glGetUniformLocation(program, value.name.c_str());
            if (value.location >= 0) uniforms.push_back(value);
        }
    }
    return uniforms;
}

UniformSnapshot UniformSnapshot::of(GLuint program) {
    UniformSnapshot snapshot;
    for (Value& value : activeUniforms(program)) {
        const Shape shape = shapeOf(value.type);
        GLint* words = value.words.data();
        if (shape.size == 0) continue;
        if (shape.base == Int) glGetUniformiv(program, value.location, words);
        if (shape.base == Unsigned) glGetUniformuiv(program, value.location, reinterpret_cast<GLuint*>(words));
        if (shape.base == Float || shape.base == Matrix)
            glGetUniformfv(program, value.location, reinterpret_cast<GLfloat*>(words));
        snapshot.values.push_back(value);
    }
    return snapshot;
}

int UniformSnapshot::restore(GLuint program) const {
    const std::vector<Value> active = activeUniforms(program);
    int written = 0;
    for (const Value& value : values) {
        for (const Value& same : active) {
            if (same.name != value.name || same.type != value.type) continue;
            write(program, same.location, shapeOf(value.type), value.words.data());
            ++written;
        }
    }
    return written;
}

}  // namespace Quessel
