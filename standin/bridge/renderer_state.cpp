#include "standin/bridge/renderer_state.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace orvex_bridge {
namespace {

// An integer environment value, read at the time of the call; absent when unset or not a
// whole integer.
std::optional<int> IntFromEnvironment(const char* name) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (*end != '\0' || errno != 0 || value < INT_MIN || value > INT_MAX) return std::nullopt;
  return static_cast<int>(value);
}

bool IsRegularFile(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

}  // namespace

bool RendererState::SetRenderFolder(const std::string& folder) {
  if (folder.empty()) return false;
  const std::filesystem::path path = std::filesystem::u8path(folder);
  std::error_code error;
  const bool accepted =
      std::filesystem::is_directory(path, error) &&
      (IsRegularFile(path / "OrvexRender.exe") || IsRegularFile(path / "OrvexRender"));
  if (accepted) {
    std::lock_guard<std::mutex> lock(mutex_);
    renderFolder_ = folder;
  }
  return accepted;
}

int RendererState::StartLink(const std::string& documentPath) {
  std::lock_guard<std::mutex> lock(mutex_);
  startLinkPath_ = documentPath;
  if (const auto code = IntFromEnvironment("ORVEX_BRIDGE_START_CODE")) return *code;
  return renderFolder_ ? 0 : 1;
}

void RendererState::SetModelFilePath(const std::string& documentPath) {
  std::lock_guard<std::mutex> lock(mutex_);
  modelFilePath_ = documentPath;
}

// The code of the call-th Connect (from 0) in a list such as "0,0,3".
static std::optional<int> CodeFromList(const char* name, int call) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return std::nullopt;
  std::optional<int> code;
  for (int i = 0; i <= call && *text != '\0'; ++i) {
    char* end = nullptr;
    code = static_cast<int>(std::strtol(text, &end, 10));
    if (end == text) return std::nullopt;
    text = *end == ',' ? end + 1 : end;
  }
  return code;
}

int RendererState::Connect() {
  std::lock_guard<std::mutex> lock(mutex_);
  const int result = CodeFromList("ORVEX_BRIDGE_CONNECT_CODES", connectCalls_++)
                         .value_or(IntFromEnvironment("ORVEX_BRIDGE_CONNECT_CODE").value_or(0));
  connected_ = result == 0;
  return result;
}

bool RendererState::HasConnected() const {
  if (const auto forced = IntFromEnvironment("ORVEX_BRIDGE_HAS_CONNECTED")) return *forced != 0;
  std::lock_guard<std::mutex> lock(mutex_);
  return connected_;
}

void RendererState::Disconnect() {
  std::lock_guard<std::mutex> lock(mutex_);
  connected_ = false;
}

BridgeModel RendererState::CreateModel() {
  std::lock_guard<std::mutex> lock(mutex_);
  const BridgeModel handle = nextModel_++;
  models_.emplace(handle, Model{});
  return handle;
}

void RendererState::DestroyModel(BridgeModel model) {
  std::lock_guard<std::mutex> lock(mutex_);
  models_.erase(model);
  if (openElement_ && openElement_->model == model) openElement_.reset();
}

Model* RendererState::FindLocked(BridgeModel model) {
  const auto found = models_.find(model);
  return found == models_.end() ? nullptr : &found->second;
}

// A mesh name the element added may have been added again since, by another
// element or outside any: only meshes the element still owns go.
void RendererState::DropElementContentLocked(Model& model, Element& element) {
  for (const std::string& name : element.meshes) {
    const auto mesh = model.meshes.find(name);
    if (mesh != model.meshes.end() && mesh->second.element == element.id) model.meshes.erase(mesh);
  }
  element.meshes.clear();
  element.instances.clear();
}

void RendererState::BeginElement(BridgeModel model, const std::string& id) {
  std::lock_guard<std::mutex> lock(mutex_);
  Model* target = FindLocked(model);
  if (target == nullptr) return;
  auto found = target->elements.find(id);
  if (found != target->elements.end()) {
    DropElementContentLocked(*target, found->second);
  } else {
    Element element;
    element.id = id;
    element.order = target->nextElementOrder++;
    found = target->elements.emplace(id, std::move(element)).first;
  }
  openElement_ = OpenElement{model, &found->second};
}

void RendererState::EndElement() {
  std::lock_guard<std::mutex> lock(mutex_);
  openElement_.reset();
}

void RendererState::DeleteElement(BridgeModel model, const std::string& id) {
  std::lock_guard<std::mutex> lock(mutex_);
  Model* target = FindLocked(model);
  if (target == nullptr) return;
  const auto found = target->elements.find(id);
  if (found == target->elements.end()) return;
  DropElementContentLocked(*target, found->second);
  if (openElement_ && openElement_->element == &found->second) openElement_.reset();
  target->elements.erase(found);
}

void RendererState::AddMaterial(BridgeModel model, const std::string& key,
                                const std::string& record) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Model* target = FindLocked(model)) target->materials[key] = record;
}

void RendererState::AddMesh(BridgeModel model, Mesh mesh) {
  std::lock_guard<std::mutex> lock(mutex_);
  Model* target = FindLocked(model);
  if (target == nullptr) return;
  mesh.element.reset();
  if (openElement_ && openElement_->model == model) {
    Element& element = *openElement_->element;
    mesh.element = element.id;
    element.meshes.push_back(mesh.name);
  }
  std::string name = mesh.name;
  target->meshes.insert_or_assign(std::move(name), std::move(mesh));
}

void RendererState::AddInstance(BridgeModel model, Instance instance) {
  std::lock_guard<std::mutex> lock(mutex_);
  Model* target = FindLocked(model);
  if (target == nullptr) return;
  if (openElement_ && openElement_->model == model) {
    openElement_->element->instances.push_back(std::move(instance));
  } else {
    target->looseInstances.push_back(std::move(instance));
  }
}

void RendererState::OptimizeModel(BridgeModel model) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Model* target = FindLocked(model)) ++target->optimizeCount;
}

void RendererState::StartSend(BridgeModel model) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Model* target = FindLocked(model)) ++target->sendCount;
}

void RendererState::SendLights(const std::string& documentPath, const std::string& xml) {
  std::lock_guard<std::mutex> lock(mutex_);
  lights_ = Lights{documentPath, xml};
}

void RendererState::AddScene(Scene scene) {
  std::lock_guard<std::mutex> lock(mutex_);
  pendingScenes_.push_back(std::move(scene));
}

void RendererState::StartSendScenes(const std::string& documentPath) {
  std::lock_guard<std::mutex> lock(mutex_);
  sentScenes_ = std::move(pendingScenes_);
  pendingScenes_.clear();
  scenesDocumentPath_ = documentPath;
}

void RendererState::SetCamera(const Camera& camera) {
  std::lock_guard<std::mutex> lock(mutex_);
  camera_ = camera;
}

std::optional<Model> RendererState::CopyModel(BridgeModel model) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = models_.find(model);
  if (found == models_.end()) return std::nullopt;
  return found->second;
}

RendererSnapshot RendererState::Snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  RendererSnapshot snapshot;
  snapshot.renderFolder = renderFolder_;
  snapshot.startLinkPath = startLinkPath_;
  snapshot.modelFilePath = modelFilePath_;
  snapshot.connected = connected_;
  snapshot.lights = lights_;
  snapshot.pendingScenes = pendingScenes_;
  snapshot.sentScenes = sentScenes_;
  snapshot.scenesDocumentPath = scenesDocumentPath_;
  snapshot.camera = camera_;
  for (const auto& entry : models_) snapshot.models.push_back(entry.first);
  return snapshot;
}

}  // namespace orvex_bridge
