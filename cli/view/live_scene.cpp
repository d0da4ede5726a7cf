#include "cli/view/live_scene.h"

#include <fmt/format.h>

#include "cli/session/further_errors.h"

namespace compactor::view {

namespace {

// The scene after `before` (none at the start) of a compile of `request`.
std::shared_ptr<const Scene> next_scene(session::CompileRequest request, const Scene* before) {
  auto scene = std::make_shared<Scene>();
  scene->version = before ? before->version + 1 : 1;
  request.provenance = true;
  const session::CompileRequest again = request;
  scene->latest = std::make_shared<const session::CompileResult>(session::compile(std::move(request)));
  if (scene->latest->error()) scene->further_errors = session::further_errors(again, *scene->latest);
  // A compile with an error leaves the last good drawing in place.
  const bool keep = before && scene->latest->error() && !before->shown->error();
  scene->shown = keep ? before->shown : scene->latest;
  finish_scene(*scene, before);
  return scene;
}

}  // namespace

LiveScene::LiveScene(cli::SourceOptions sources, Files& files)
    : sources_(std::move(sources)), files_(files), scene_(next_scene(cli::compile_request(sources_, files_), nullptr)) {}

std::shared_ptr<const Scene> LiveScene::compile_now(const Scene& before) {
  try {
    return next_scene(cli::compile_request(sources_, files_), &before);
  } catch (const PlatformError& e) {
    auto scene = std::make_shared<Scene>(before);
    scene->version = before.version + 1;
    scene->failure = fmt::format("{}: {}", e.path(), e.reason());
    finish_scene(*scene, &before);
    return scene;
  }
}

void LiveScene::recompile() {
  const std::lock_guard one(recompiling_);
  replace(compile_now(*scene()));
}

std::shared_ptr<const Scene> LiveScene::scene() const {
  const std::lock_guard lock(mutex_);
  return scene_;
}

void LiveScene::replace(std::shared_ptr<const Scene> next) {
  const std::lock_guard lock(mutex_);
  scene_ = std::move(next);
}

std::shared_ptr<const Scene> compiled_scene(Model model, const std::string& route, const std::string& train) {
  auto result = std::make_shared<session::CompileResult>();
  result->model = std::move(model);
  result->route = route;
  result->train_name = train;
  auto scene = std::make_shared<Scene>();
  scene->version = 1;
  scene->latest = result;
  scene->shown = result;
  scene->compiled_files = true;
  finish_scene(*scene, nullptr);
  return scene;
}

}  // namespace compactor::view
