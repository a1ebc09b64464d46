#pragma once
#include "core/GlProgram.h"

#include <GL/glew.h>

namespace Quessel {

// One built program with the locations and binding points every program shares.
// Building never fails: a broken file only shows up in the printed info logs.
class ShaderProgram {
public:
    ShaderProgram(const char* vertexPath, const char* fragmentPath, const char* name);

    const char* name;
    const char* vertexPath;
    const char* fragmentPath;
    GLint positionLocation;
    GLint normalLocation;
    GLint tangentLocation;
    GLint bitangentLocation;
    GLint texCoordLocation;
    GLint matricesBinding;
    GLint previousMatricesBinding;
    GLint texLocation = -1;
    GLint nmTexLocation = -1;
    GLint materialBinding;
    GLint pointLightBinding;
    GLint sphereBinding;
    GLuint vertexShader = 0;
    GLuint fragmentShader = 0;
    GLuint program = 0;
    // Links of `program` so far (1 once built): whoever keeps what a link decides (the
    // particle system's subroutine indices) sees a relink by it.
    int links = 0;

    // What every link of a program of this record declares before linking: the fragment
    // output, the attribute locations, the particle program's captured outputs.
    static void declareBindings(GLuint program, const ShaderProgram& record);
    // Binds the five uniform blocks to the record's points. `everyBlock`: also those the
    // program lacks, as the builder does (each leaves an error in GL's flag).
    static void bindBlocks(GLuint program, const ShaderProgram& record, bool everyBlock);

private:
    void build();
};

}  // namespace Quessel
