#include "study/StudyOverlay.h"

#include <imgui.h>
#include <imgui_impl_glfw.h>
#include <imgui_impl_opengl3.h>

#include <algorithm>
#include <cstdio>

namespace Quessel::Study {

namespace {
constexpr float Corner = 10.0f;
constexpr float BarWidth = 150.0f;
}  // namespace

StudyOverlay::StudyOverlay(GLFWwindow* window) : window(window) {}

StudyOverlay::~StudyOverlay() {
    if (!started) return;
    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplGlfw_Shutdown();
    ImGui::DestroyContext();
}

void StudyOverlay::start() {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;  // nothing to remember between runs, nothing left in the run directory
    io.ConfigFlags |= ImGuiConfigFlags_NoMouseCursorChange;
    ImGui::StyleColorsDark();
    // The backends chain to the study tool's key callback, installed before them.
    ImGui_ImplGlfw_InitForOpenGL(window, true);
    ImGui_ImplOpenGL3_Init("#version 430 core");
    started = true;
}

void StudyOverlay::timings(const OverlayFacts& facts) {
    ImGui::Text("%.1f fps, frame %.1f ms", facts.frameMs > 0.0 ? 1000.0 / facts.frameMs : 0.0, facts.frameMs);
    ImGui::Text("CPU %.1f ms, GPU %.1f ms", facts.cpuMs, facts.gpuMs);
    double longest = 1.0;
    for (int pass = 0; pass < PassCount; ++pass) longest = std::max(longest, facts.passes.gpuMs[pass]);
    for (int pass = 0; pass < PassCount; ++pass) {
        if (!hasGpuTime(passAt(pass))) continue;
        const double ms = facts.passes.gpuMs[pass];
        char label[48];
        // A pass that did not run this frame (the refresh while paused) has no time.
        if (ms > 0.0)
            std::snprintf(label, sizeof label, "%.2f ms", ms);
        else
            std::snprintf(label, sizeof label, "-");
        ImGui::ProgressBar(static_cast<float>(ms / longest), ImVec2(BarWidth, 0.0f), label);
        ImGui::SameLine();
        ImGui::TextUnformatted(passName(passAt(pass)));
    }
}

NodeAction StudyOverlay::nodeList(const OverlayFacts& facts) {
    if (!facts.nodes || facts.nodes->empty()) return {};
    const std::vector<std::string>& nodes = *facts.nodes;
    // Top right, beside the facts; the one window of the overlay that takes the mouse.
    constexpr float Width = 420.0f;
    ImGui::SetNextWindowPos(ImVec2(ImGui::GetIO().DisplaySize.x - Width - Corner, Corner));
    ImGui::SetNextWindowSize(ImVec2(Width, 0.0f));
    ImGui::SetNextWindowBgAlpha(0.75f);
    ImGui::SetNextWindowCollapsed(true, ImGuiCond_Once);
    NodeAction action;
    const ImGuiWindowFlags flags =
        ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing | ImGuiWindowFlags_NoMove;
    if (ImGui::Begin("nodes: click frames, right-click for more", nullptr, flags)) {
        ImGui::BeginChild("tree", ImVec2(0.0f, 320.0f));
        using Kind = NodeAction::Kind;
        for (size_t i = 0; i < nodes.size(); ++i) {
            const int row = static_cast<int>(i);
            ImGui::PushID(row);
            if (ImGui::Selectable(nodes[i].c_str())) action = {Kind::Frame, row};
            if (ImGui::BeginPopupContextItem()) {
                if (ImGui::MenuItem("frame it")) action = {Kind::Frame, row};
                if (ImGui::MenuItem("mirror (--mirror) on / off")) action = {Kind::Mirror, row};
                if (ImGui::MenuItem("glass (--glass) on / off")) action = {Kind::Glass, row};
                if (ImGui::MenuItem("copy the options that open the scene so")) action = {Kind::Copy, row};
                ImGui::EndPopup();
            }
            ImGui::PopID();
        }
        ImGui::EndChild();
    }
    ImGui::End();
    return action;
}

bool StudyOverlay::wantsMouse() const { return started && ImGui::GetIO().WantCaptureMouse; }

NodeAction StudyOverlay::draw(const OverlayFacts& facts, double wallStep) {
    if (!started) start();
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplGlfw_NewFrame();
    // The backend would time this frame from the last one it saw, which may lie before a
    // stretch with the overlay hidden: the wall clock's step between frames instead.
    ImGui::GetIO().DeltaTime = static_cast<float>(std::max(wallStep, 1e-4));
    ImGui::NewFrame();

    ImGui::SetNextWindowPos(ImVec2(Corner, Corner));
    ImGui::SetNextWindowBgAlpha(0.75f);
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_AlwaysAutoResize |
                                   ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing |
                                   ImGuiWindowFlags_NoNav | ImGuiWindowFlags_NoInputs;
    ImGui::Begin("quessel-study", nullptr, flags);
    timings(facts);
    ImGui::Separator();
    ImGui::Text("demo time %.3f s, %s, %s", facts.demoTime, facts.paused ? "PAUSED" : "running",
                facts.freeFlight ? "FREE CAMERA" : "on the path");
    ImGui::Text("path: %s", facts.pathRow.c_str());
    ImGui::TextUnformatted(facts.rowsTitle.c_str());
    for (const std::string& row : facts.rows) ImGui::TextUnformatted(row.c_str());
    ImGui::Text("camera at (%.2f, %.2f, %.2f)", facts.position.x, facts.position.y, facts.position.z);
    ImGui::Text("looking (%.3f, %.3f, %.3f)", facts.direction.x, facts.direction.y, facts.direction.z);
    ImGui::Text("cube map refreshed: %s", facts.refreshed.c_str());
    ImGui::Text("light: %s", facts.light.c_str());
    if (!facts.sceneSize.empty()) ImGui::TextUnformatted(facts.sceneSize.c_str());
    if (!facts.material.empty()) ImGui::TextWrapped("under the mouse: %s", facts.material.c_str());
    if (!facts.cameras.empty()) ImGui::TextUnformatted(facts.cameras.c_str());
    if (!facts.aim.empty()) ImGui::TextUnformatted(facts.aim.c_str());
    ImGui::Text("view: %s", facts.view.c_str());
    ImGui::Text("GL errors: %d", facts.glErrors);
    ImGui::TextUnformatted(facts.reload.empty() ? "shaders: as loaded (F5 reloads them)" : facts.reload.c_str());
    if (!facts.reloadLog.empty()) ImGui::TextColored(ImVec4(1.0f, 0.55f, 0.45f, 1.0f), "%s", facts.reloadLog.c_str());
    ImGui::End();
    const NodeAction action = nodeList(facts);

    ImGui::Render();
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    return action;
}

}  // namespace Quessel::Study
