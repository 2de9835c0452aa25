// The hand-over of a change to the handler start-up registered.
#include "display/change.h"

#include <utility>

namespace {
ChangeHandler handler = nullptr;
std::string namedStep;  // set by a StepNamed: the name every step takes meanwhile
}  // namespace

void SetChangeHandler(ChangeHandler changeHandler) {
  handler = changeHandler;
}

void AfterChange(Change change) {
  if (!namedStep.empty() && !change.step.empty()) {
    change.step = namedStep;
    change.stepped = false;
  }
  if (handler != nullptr) handler(change);
}

StepNamed::StepNamed(std::string step) {
  namedStep = std::move(step);
}

StepNamed::~StepNamed() {
  namedStep.clear();
}
