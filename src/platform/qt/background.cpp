// Work off the user-interface thread: threads started for long computations, and tasks handed
// back to the user-interface thread, which alone touches the workspace and the controls.
#include <QCoreApplication>
#include <QMetaObject>
#include <thread>
#include <utility>
#include <vector>

#include "platform/qt/runtime.h"

namespace {
// Touched on the user-interface thread only: RunInBackground and JoinBackgroundWork run there.
std::vector<std::thread>& Workers() {
  static std::vector<std::thread> workers;
  return workers;
}
}  // namespace

int RunInBackground(std::function<void()> work) {
  if (!work) return kErrBadValue;
  Workers().emplace_back(std::move(work));
  return 0;
}

void JoinBackgroundWork() {
  for (std::thread& worker : Workers()) {
    if (worker.joinable()) worker.join();
  }
  Workers().clear();
}

int PostToUserInterface(std::function<void()> task) {
  QCoreApplication* application = QCoreApplication::instance();
  if (!application || !task) return kErrNotStarted;
  // Queued on the application object, which lives on the user-interface thread: the task runs
  // there, from the event loop, whatever thread posts it.
  QMetaObject::invokeMethod(application, std::move(task), Qt::QueuedConnection);
  return 0;
}
