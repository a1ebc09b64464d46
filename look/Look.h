#pragma once
#include "look/BackgroundChoice.h"
#include "look/LightingBlock.h"
#include "look/PunctualLight.h"

#include <GL/glew.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

struct aiScene;

namespace Quessel {

class IEnvironment;
class IRender;
class LookTextures;
class SurfaceDrawer;
struct EnvironmentMaps;
struct ImageSearch;
struct LookPrograms;

// A brought scene's own look, made once at set-up and then fed by the demo's passes: its
// environment (cube maps and irradiance), its lights (or a key light that circles), one
// material per mesh, and the programs that draw the surfaces and the background. Every
// drawing call draws into the bound framebuffer with the "Matrices" buffer bound at
// binding 1 as the pass left it.
class Look {
public:
    struct Settings {
        // An equirectangular panorama; empty for the studio made in code.
        std::string environment;
        BackgroundChoice background;
        std::string shaderFolder = "Shader/Look";
        // Whether a scene without lights of its own gets the circling key light.
        bool keyLight = true;
        // Whether an image that cannot be loaded is said (the demo's import says so first).
        bool sayMissingImages = true;
        // Whether each view leaves out the meshes and chunks outside it; off only to
        // compare pictures.
        bool culling = true;
    };

    // Nothing, with `error` saying why, when the environment file or a program cannot be
    // used. `images` finds the materials' textures.
    static std::unique_ptr<Look> create(const aiScene* scene, const ImageSearch& images, const Settings& settings,
                                        std::string& error);
    static std::unique_ptr<Look> create(const aiScene* scene, const ImageSearch& images,
                                        const IEnvironment& environment, const Settings& settings, std::string& error);
    ~Look();
    Look(const Look&) = delete;
    Look& operator=(const Look&) = delete;

    // Draws the scene's meshes (IRender::draw with a node list, or their positions alone).
    SurfaceDrawer& surfaces();
    // Its materials, and how much of the scene each view drew (DrawStats).
    const SurfaceDrawer& drawer() const { return *meshes; }
    // What lies behind the scene, over the whole viewport at the far plane (depth test
    // LEQUAL against a depth cleared to 1, no depth written): the background chosen, or
    // the environment whatever was chosen (what mirrors reflect behind the scene).
    enum class Behind { Chosen, Environment };
    void drawBackground(Behind behind = Behind::Chosen);
    // The plain colour chosen behind the scene, display-encoded as the surfaces are written;
    // none when the environment shows there. A pass can clear to it instead of drawing it.
    std::optional<vec3> plainBackground() const;
    // Without lights of its own, the scene's key light shines from `angle` radians around
    // the vertical axis; the caller turns it. Nothing changes for a scene with lights.
    void setKeyLight(float angle);
    bool hasSceneLights() const { return sceneLights; }
    const std::vector<PunctualLight>& lights() const { return shining; }

    // For the overlay and the console: the environment and the lights.
    const std::string& environmentName() const { return environment; }
    const std::vector<std::string>& notes() const { return said; }
    GLuint radianceCubeMap() const;
    GLuint specularCubeMap() const;
    GLuint lightingBuffer() const { return lighting; }

private:
    Look();
    void uploadLighting();

    std::unique_ptr<LookPrograms> programs;
    std::unique_ptr<EnvironmentMaps> maps;
    std::unique_ptr<LookTextures> textures;
    std::unique_ptr<SurfaceDrawer> meshes;
    LightingBlock block;
    GLuint lighting = 0;
    bool plain = false;
    vec3 plainColor{0.5f};
    bool sceneLights = false;
    bool keyLight = false;
    std::vector<PunctualLight> shining;
    std::string environment;
    std::vector<std::string> said;
};

}  // namespace Quessel
