// The run-time's state and event loop: starting the application, the callback table the
// resource's names refer to, the panel and menu-bar handles, and delivery of events.
#include "platform/qt/runtime.h"

#include <QApplication>
#include <QEventLoop>
#include <clocale>

namespace {
struct RunTime {
  bool started = false;
  int nextHandle = 1;  // panels and menu bars share one counter, so no two handles are equal
  std::map<int, PanelRecord> panels;
  std::map<int, MenuBarRecord> menuBars;
  QEventLoop* loop = nullptr;  // the running RunUserInterface loop, if any
};

RunTime& State() {
  static RunTime state;
  return state;
}

std::map<std::string, CtrlCallbackPtr>& CtrlCallbacks() {
  static std::map<std::string, CtrlCallbackPtr> table;
  return table;
}
std::map<std::string, PanelCallbackPtr>& PanelCallbacks() {
  static std::map<std::string, PanelCallbackPtr> table;
  return table;
}
std::map<std::string, MenuCallbackPtr>& MenuCallbacks() {
  static std::map<std::string, MenuCallbackPtr> table;
  return table;
}

void Record(int panel, int control, int event) {
  if (Seams().delivered) Seams().delivered(panel, control, event);
}

// The arguments outlive the application object, as QApplication requires.
int savedArgc = 0;
char** savedArgv = nullptr;
char defaultProgramName[] = "pavik";
char* defaultArgv[] = {defaultProgramName, nullptr};
}  // namespace

// ---- callbacks ----

void RegisterCtrlCallback(const char* name, CtrlCallbackPtr callback) {
  if (name) CtrlCallbacks()[name] = callback;
}
void RegisterPanelCallback(const char* name, PanelCallbackPtr callback) {
  if (name) PanelCallbacks()[name] = callback;
}
void RegisterMenuCallback(const char* name, MenuCallbackPtr callback) {
  if (name) MenuCallbacks()[name] = callback;
}

int DeliverControlEvent(int panel, int control, int event, int eventData1, int eventData2) {
  const ControlRecord* record = FindControl(panel, control);
  if (!record || record->callback.empty()) return 0;
  const auto found = CtrlCallbacks().find(record->callback);
  if (found == CtrlCallbacks().end() || !found->second) return 0;
  if (event == EVENT_COMMIT) FinishPendingEntries(panel, control);
  Record(panel, control, event);
  return found->second(panel, control, event, nullptr, eventData1, eventData2);
}

bool HasPanelCallback(int panel) {
  const PanelRecord* record = FindPanel(panel);
  return record && !record->callback.empty() && PanelCallbacks().count(record->callback) &&
         PanelCallbacks()[record->callback];
}

int DeliverPanelEvent(int panel, int event) {
  if (!HasPanelCallback(panel)) return 0;
  Record(panel, 0, event);
  return PanelCallbacks()[FindPanel(panel)->callback](panel, event, nullptr, 0, 0);
}

void DeliverMenuEvent(int menuBar, int item) {
  const MenuBarRecord* record = FindMenuBar(menuBar);
  if (!record) return;
  const auto found = MenuCallbacks().find(record->callback);
  if (found == MenuCallbacks().end() || !found->second) return;
  FinishPendingEntries(0, 0);
  Record(menuBar, item, EVENT_COMMIT);
  found->second(menuBar, item, nullptr, record->panel);
}

// ---- state ----

bool RunTimeStarted() {
  return State().started && QApplication::instance() != nullptr;
}

PanelRecord* FindPanel(int panel) {
  if (!RunTimeStarted()) return nullptr;
  const auto found = State().panels.find(panel);
  if (found == State().panels.end() || !found->second.window) return nullptr;
  return &found->second;
}

ControlRecord* FindControl(int panel, int control) {
  PanelRecord* record = FindPanel(panel);
  if (!record) return nullptr;
  const auto found = record->controls.find(control);
  if (found == record->controls.end() || !found->second.widget) return nullptr;
  return &found->second;
}

MenuBarRecord* FindMenuBar(int menuBar) {
  if (!RunTimeStarted()) return nullptr;
  const auto found = State().menuBars.find(menuBar);
  if (found == State().menuBars.end() || !FindPanel(found->second.panel)) return nullptr;
  return &found->second;
}

int AddPanel(PanelRecord record) {
  const int handle = State().nextHandle++;
  State().panels[handle] = std::move(record);
  return handle;
}

int AddMenuBar(MenuBarRecord record) {
  const int handle = State().nextHandle++;
  State().menuBars[handle] = std::move(record);
  return handle;
}

void RemovePanel(int panel) {
  const auto found = State().panels.find(panel);
  if (found == State().panels.end()) return;
  State().menuBars.erase(found->second.menuBar);
  State().panels.erase(found);
}

std::map<int, PanelRecord>& AllPanels() {
  return State().panels;
}

bool CanAskAPerson() {
  return RunTimeStarted() && QGuiApplication::platformName() != QLatin1String("offscreen");
}

// ---- the application and the event loop ----

int InitRunTime(int argc, char* argv[]) {
  if (!QApplication::instance()) {
    if (argc > 0 && argv) {
      savedArgc = argc;
      savedArgv = argv;
    } else {
      savedArgc = 1;
      savedArgv = defaultArgv;
    }
    new QApplication(savedArgc, savedArgv);  // lives for the whole run
  }
  // The application takes the C library's locale from the desktop's. Every number Pavik writes
  // or reads (parameter file, report, tables, data files) uses a point whatever the desktop
  // writes, as the dynamic-clamp program and other machines read them: numbers stay "C".
  std::setlocale(LC_NUMERIC, "C");
  // Panels are hidden and shown, never closed for good: the program decides when to end.
  QApplication::setQuitOnLastWindowClosed(false);
  State().started = true;
  return 0;
}

int RunUserInterface() {
  if (!RunTimeStarted()) return kErrNotStarted;
  QEventLoop loop;
  State().loop = &loop;
  loop.exec();
  State().loop = nullptr;
  return 0;
}

int QuitUserInterface(int) {
  if (!RunTimeStarted()) return kErrNotStarted;
  // Outside the loop there is nothing to end; a stale request must not end a later loop.
  if (State().loop) State().loop->exit(0);
  return 0;
}

// The toolkit's event loop already sleeps while idle.
int SetSleepPolicy(int) {
  return RunTimeStarted() ? 0 : kErrNotStarted;
}
