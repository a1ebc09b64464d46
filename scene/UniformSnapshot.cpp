#include "scene/UniformSnapshot.h"

#include <map>

namespace Quessel {

namespace {
enum class Base { Float, Int, Unsigned, Matrix, Unsupported };

struct Shape {
    Base base;
    int components;
};

bool isSampler(GLenum type) {
    switch (type) {
    case GL_SAMPLER_1D:
    case GL_SAMPLER_2D:
    case GL_SAMPLER_3D:
    case GL_SAMPLER_CUBE:
    case GL_SAMPLER_1D_SHADOW:
    case GL_SAMPLER_2D_SHADOW:
    case GL_SAMPLER_CUBE_SHADOW:
    case GL_SAMPLER_1D_ARRAY:
    case GL_SAMPLER_2D_ARRAY:
    case GL_SAMPLER_2D_ARRAY_SHADOW:
    case GL_SAMPLER_CUBE_MAP_ARRAY:
    case GL_SAMPLER_2D_MULTISAMPLE:
    case GL_SAMPLER_2D_RECT:
    case GL_SAMPLER_BUFFER:
    case GL_INT_SAMPLER_2D:
    case GL_INT_SAMPLER_3D:
    case GL_INT_SAMPLER_CUBE:
    case GL_INT_SAMPLER_2D_ARRAY:
    case GL_UNSIGNED_INT_SAMPLER_2D:
    case GL_UNSIGNED_INT_SAMPLER_3D:
    case GL_UNSIGNED_INT_SAMPLER_CUBE:
    case GL_UNSIGNED_INT_SAMPLER_2D_ARRAY:
    case GL_IMAGE_2D:
    case GL_IMAGE_3D:
    case GL_IMAGE_CUBE:
    case GL_IMAGE_2D_ARRAY: return true;
    default: return false;
    }
}

Shape shapeOf(GLenum type) {
    switch (type) {
    case GL_FLOAT: return {Base::Float, 1};
    case GL_FLOAT_VEC2: return {Base::Float, 2};
    case GL_FLOAT_VEC3: return {Base::Float, 3};
    case GL_FLOAT_VEC4: return {Base::Float, 4};
    case GL_INT:
    case GL_BOOL: return {Base::Int, 1};
    case GL_INT_VEC2:
    case GL_BOOL_VEC2: return {Base::Int, 2};
    case GL_INT_VEC3:
    case GL_BOOL_VEC3: return {Base::Int, 3};
    case GL_INT_VEC4:
    case GL_BOOL_VEC4: return {Base::Int, 4};
    case GL_UNSIGNED_INT: return {Base::Unsigned, 1};
    case GL_UNSIGNED_INT_VEC2: return {Base::Unsigned, 2};
    case GL_UNSIGNED_INT_VEC3: return {Base::Unsigned, 3};
    case GL_UNSIGNED_INT_VEC4: return {Base::Unsigned, 4};
    case GL_FLOAT_MAT2: return {Base::Matrix, 4};
    case GL_FLOAT_MAT3: return {Base::Matrix, 9};
    case GL_FLOAT_MAT4: return {Base::Matrix, 16};
    default: break;
    }
    // A sampler or image uniform holds its texture unit.
    if (isSampler(type)) return {Base::Int, 1};
    return {Base::Unsupported, 0};
}

void read(GLuint program, GLint location, Base base, GLint* words) {
    if (base == Base::Float || base == Base::Matrix)
        glGetUniformfv(program, location, reinterpret_cast<GLfloat*>(words));
    else if (base == Base::Int)
        glGetUniformiv(program, location, words);
    else
        glGetUniformuiv(program, location, reinterpret_cast<GLuint*>(words));
}

void write(GLuint program, GLint location, Shape shape, const GLint* words) {
    const auto* f = reinterpret_cast<const GLfloat*>(words);
    const auto* u = reinterpret_cast<const GLuint*>(words);
    switch (shape.base) {
    case Base::Float:
        if (shape.components == 1) glProgramUniform1fv(program, location, 1, f);
        if (shape.components == 2) glProgramUniform2fv(program, location, 1, f);
        if (shape.components == 3) glProgramUniform3fv(program, location, 1, f);
        if (shape.components == 4) glProgramUniform4fv(program, location, 1, f);
        break;
    case Base::Int:
        if (shape.components == 1) glProgramUniform1iv(program, location, 1, words);
        if (shape.components == 2) glProgramUniform2iv(program, location, 1, words);
        if (shape.components == 3) glProgramUniform3iv(program, location, 1, words);
        if (shape.components == 4) glProgramUniform4iv(program, location, 1, words);
        break;
    case Base::Unsigned:
        if (shape.components == 1) glProgramUniform1uiv(program, location, 1, u);
        if (shape.components == 2) glProgramUniform2uiv(program, location, 1, u);
        if (shape.components == 3) glProgramUniform3uiv(program, location, 1, u);
        if (shape.components == 4) glProgramUniform4uiv(program, location, 1, u);
        break;
    case Base::Matrix:
        if (shape.components == 4) glProgramUniformMatrix2fv(program, location, 1, GL_FALSE, f);
        if (shape.components == 9) glProgramUniformMatrix3fv(program, location, 1, GL_FALSE, f);
        if (shape.components == 16) glProgramUniformMatrix4fv(program, location, 1, GL_FALSE, f);
        break;
    case Base::Unsupported: break;
    }
}
}  // namespace

std::vector<UniformSnapshot::Uniform> UniformSnapshot::activeUniforms(GLuint program) {
    std::vector<Uniform> uniforms;
    GLint count = 0;
    GLint longest = 0;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
    glGetProgramiv(program, GL_ACTIVE_UNIFORM_MAX_LENGTH, &longest);
    std::vector<char> text(static_cast<std::size_t>(longest > 0 ? longest : 1) + 1);
    for (GLuint index = 0; index < static_cast<GLuint>(count); ++index) {
        GLint blockIndex = -1;
        glGetActiveUniformsiv(program, 1, &index, GL_UNIFORM_BLOCK_INDEX, &blockIndex);
        if (blockIndex != -1) continue;
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program, index, static_cast<GLsizei>(text.size()), nullptr, &size, &type, text.data());
        std::string name = text.data();
        // Arrays are listed as "name[0]"; their elements are set one by one.
        const std::size_t bracket = name.find('[');
        const std::string base = bracket == std::string::npos ? name : name.substr(0, bracket);
        for (GLint element = 0; element < size; ++element) {
            const std::string elementName = size > 1 ? base + "[" + std::to_string(element) + "]" : name;
            if (glGetUniformLocation(program, elementName.c_str()) >= 0) uniforms.push_back({elementName, type});
        }
    }
    return uniforms;
}

UniformSnapshot UniformSnapshot::of(GLuint program) {
    UniformSnapshot snapshot;
    for (const Uniform& uniform : activeUniforms(program)) {
        const Shape shape = shapeOf(uniform.type);
        if (shape.base == Base::Unsupported) continue;
        Value value;
        value.name = uniform.name;
        value.type = uniform.type;
        read(program, glGetUniformLocation(program, uniform.name.c_str()), shape.base, value.words.data());
        snapshot.values.push_back(value);
    }
    return snapshot;
}

int UniformSnapshot::restore(GLuint program) const {
    std::map<std::string, GLenum> types;
    for (const Uniform& uniform : activeUniforms(program)) types[uniform.name] = uniform.type;
    int written = 0;
    for (const Value& value : values) {
        const auto found = types.find(value.name);
        if (found == types.end() || found->second != value.type) continue;
        write(program, glGetUniformLocation(program, value.name.c_str()), shapeOf(value.type), value.words.data());
        ++written;
    }
    return written;
}

}  // namespace Quessel
