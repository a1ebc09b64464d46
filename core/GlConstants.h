#pragma once
// The fixed numbers that the C++ side and the GLSL files share. The shaders use the
// same values in layout(binding = N) / layout(location = N).

namespace Quessel {

constexpr int ScreenWidth = 1280;
constexpr int ScreenHeight = 768;
constexpr int EnvironmentMapSize = 512;

namespace AttributeLocation {
constexpr int Position = 0;
constexpr int Normal = 1;
constexpr int TexCoord = 2;
constexpr int Tangent = 5;
constexpr int Bitangent = 6;
// A brought scene's look only: its meshes' colours and second texture coordinates.
constexpr int VertexColor = 7;
constexpr int TexCoord1 = 8;
}  // namespace AttributeLocation

namespace BlockBinding {
constexpr int Matrices = 1;
constexpr int Material = 2;
constexpr int PointLight = 3;
constexpr int PreviousMatrices = 4;
constexpr int Sphere = 7;
// A brought scene's look: a mesh's surface material and the lighting every program shares.
constexpr int SurfaceMaterial = 10;
constexpr int Lighting = 11;
}  // namespace BlockBinding

namespace TextureUnit {
constexpr int Diffuse = 0;       // "tex", also the sphere cube maps and "colorBuffer"
constexpr int NormalMap = 1;     // "nmTex"
constexpr int DepthTarget = 2;   // "depthBuffer" of the motion-blur composite
constexpr int ParticleLoad = 3;  // where the smoke sprite is uploaded
constexpr int FaceBase = 20;     // environment-map faces use 20..25
constexpr int CubeMap = 26;      // environment cube maps and the prepared cube map
constexpr int StudyView = 27;    // the study tool's views and labels, never the demo's
// A brought scene's look: its material textures and environment, never the demo's.
constexpr int LookBaseColor = 8;
constexpr int LookMetallicRoughness = 9;
constexpr int LookNormal = 10;
constexpr int LookOcclusion = 11;
constexpr int LookEmissive = 12;
constexpr int LookSpecular = 13;  // the environment prefiltered by roughness in its mipmap levels
constexpr int LookRadiance = 14;  // the environment itself, for the background
}  // namespace TextureUnit

namespace BlockSize {
constexpr int Matrices = 192;
constexpr int Material = 72;
constexpr int PointLight = 56;
constexpr int Sphere = 20;
constexpr int SurfaceMaterial = 64;
constexpr int Lighting = 672;
}  // namespace BlockSize

}  // namespace Quessel
