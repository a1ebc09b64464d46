#pragma once
#include <string>
#include <vector>

struct aiScene;

namespace Quessel {

// Where the images a scene names are found: images embedded in the scene ("*0", or the
// file name Assimp gives one), then each folder in turn, then the name as given, relative
// to the working directory. The default is the demo's own: the working directory only.
struct ImageSearch {
    std::vector<std::string> folders;
    const aiScene* scene = nullptr;
    // For a scene a tool brings, made elsewhere: in each folder a `\` in the name is read as
    // `/`, a path component that is not there is matched in another letter case, and failing
    // both the file's last component is looked for in the folder itself. Only the
    // directories on the named path are read. The working directory stays exact.
    bool lenient = false;

    // The file to open for a name that is not embedded: the first found in the folders, or
    // the name as given.
    std::string path(const std::string& name) const;
};

}  // namespace Quessel
