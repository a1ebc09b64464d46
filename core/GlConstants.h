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
}  // namespace AttributeLocation

namespace BlockBinding {
constexpr int Matrices = 1;
constexpr int Material = 2;
constexpr int PointLight = 3;
constexpr int PreviousMatrices = 4;
constexpr int Sphere = 7;
}  // namespace BlockBinding

namespace TextureUnit {
constexpr int Diffuse = 0;       // "tex", also the sphere cube maps and "colorBuffer"
constexpr int NormalMap = 1;     // "nmTex"
constexpr int DepthTarget = 2;   // "depthBuffer" of the motion-blur composite
constexpr int ParticleLoad = 3;  // where the smoke sprite is uploaded
constexpr int FaceBase = 20;     // environment-map faces use 20..25
constexpr int CubeMap = 26;      // environment cube maps and the prepared cube map
constexpr int StudyView = 27;    // the study tool's views and labels, never the demo's
}  // namespace TextureUnit

namespace BlockSize {
constexpr int Matrices = 192;
constexpr int Material = 72;
constexpr int PointLight = 56;
constexpr int Sphere = 20;
}  // namespace BlockSize

}  // namespace Quessel
