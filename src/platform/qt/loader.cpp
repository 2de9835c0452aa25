// Loading a panel from the resource file: finding the file beside the executable, registering
// it, locating the panel by its resource id, building it with QUiLoader, and wiring every
// control, the close of its window and its menu bar to the callbacks the resource names.
#include <fcntl.h>
#include <qcustomplot.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFrame>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResource>
#include <QScreen>
#include <QTabBar>
#include <QUiLoader>
#include <QXmlStreamReader>
#include <climits>
#include <string>
#include <vector>

#include "platform/qt/controls_style.h"
#include "platform/qt/fields.h"
#include "platform/qt/graph_state.h"
#include "platform/qt/runtime.h"

namespace {
const char* const kCtrlIdProperty = "ctrlId";
const char* const kCallbackProperty = "callback";
const char* const kMenuIdProperty = "menuId";
const char* const kResourceIdProperty = "resourceId";
const char* const kExtraShortcutProperty = "extraShortcut";  // on an action: a second shortcut
const char* const kSeparatorIdsProperty = "separatorIds";    // on a menu: ids of its separators
const char* const kRefusedCharactersProperty = "refusedCharacters";  // on a text box

// The panels of four windows take a few hundred kB; a file far larger is not the resource.
constexpr off_t kMaxResourceBytes = 64L << 20;

struct RegisteredResource {
  std::string bytes;              // the file's contents, which Qt reads in place
  QString root;                   // where its files appear, ":/<root>/..."
  std::map<int, QString> panels;  // resource id -> .ui path inside the resource
};
// By device and inode, so that two names of one file register it once.
std::map<std::pair<dev_t, ino_t>, RegisteredResource>& Registered() {
  static std::map<std::pair<dev_t, ino_t>, RegisteredResource> registered;
  return registered;
}

// The folder of the running program, as the system names it: bytes, whatever their encoding.
std::string ExecutableDirectory() {
  std::vector<char> path(PATH_MAX + 1);
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
  std::string executable(path.data(), static_cast<size_t>(length));
  return executable.substr(0, executable.rfind('/'));
}

// A relative name stands for the file beside the executable, never one in the current folder
// (a stray file there must not replace the program's own).
std::string ResolveResourcePath(const char* file) {
  const std::string name = file;
  if (!name.empty() && name.front() == '/') return name;
  const std::string& seam = Seams().resourceDirectory;
  return (seam.empty() ? ExecutableDirectory() : seam) + "/" + name;
}

// The whole of a regular file of bounded size; false for anything else.
bool ReadResourceFile(int fd, const struct stat& info, std::string* bytes) {
  if (!S_ISREG(info.st_mode) || info.st_size > kMaxResourceBytes) return false;
  bytes->resize(static_cast<size_t>(info.st_size));
  size_t done = 0;
  while (done < bytes->size()) {
    const ssize_t got = read(fd, bytes->data() + done, bytes->size() - done);
    if (got <= 0) return false;
    done += static_cast<size_t>(got);
  }
  return true;
}

// The resource id of a .ui file: the resourceId property of its top-level widget.
int PanelIdOf(const QString& uiPath) {
  QFile file(uiPath);
  if (!file.open(QIODevice::ReadOnly)) return -1;
  QXmlStreamReader xml(&file);
  int widgetDepth = 0;
  bool inIdProperty = false;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      if (xml.name() == QLatin1String("widget") && ++widgetDepth > 1) return -1;
      if (widgetDepth == 1 && xml.name() == QLatin1String("property") &&
          xml.attributes().value("name") == QLatin1String(kResourceIdProperty))
        inIdProperty = true;
      if (inIdProperty && xml.name() == QLatin1String("number"))
        return xml.readElementText().toInt();
    }
  }
  return -1;
}

const RegisteredResource* Register(const std::string& path) {
  // Non-blocking: a FIFO put where the resource belongs must not stop the start.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    close(fd);
    return nullptr;
  }
  const std::pair<dev_t, ino_t> key(info.st_dev, info.st_ino);
  auto found = Registered().find(key);
  if (found != Registered().end()) {
    close(fd);
    return &found->second;
  }
  RegisteredResource resource;
  const bool read = ReadResourceFile(fd, info, &resource.bytes);
  close(fd);
  if (!read) return nullptr;
  RegisteredResource& stored = Registered()[key] = std::move(resource);
  stored.root = QStringLiteral("/pavikuir%1").arg(Registered().size());
  if (!QResource::registerResource(reinterpret_cast<const uchar*>(stored.bytes.data()),
                                   stored.root)) {
    Registered().erase(key);
    return nullptr;
  }
  QDirIterator files(":" + stored.root, {"*.ui"}, QDir::Files, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    const QString ui = files.next();
    const int id = PanelIdOf(ui);
    if (id >= 0) stored.panels[id] = ui;
  }
  return &stored;
}

// A row of tabs that choose what a neighbouring control shows; long names are elided.
QTabBar* NewTabSelector(QWidget* parent) {
  auto* tabs = new QTabBar(parent);
  tabs->setExpanding(false);
  tabs->setElideMode(Qt::ElideMiddle);
  tabs->setUsesScrollButtons(true);
  tabs->setDocumentMode(true);
  tabs->setFocusPolicy(Qt::NoFocus);  // the keys stay with the fields; Ctrl+PgUp/PgDn switch
  return tabs;
}

// Builds the program's own widget classes where the resource names them or their bases.
class PanelLoader : public QUiLoader {
 public:
  QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
    QWidget* widget = nullptr;
    if (className == QLatin1String("QDoubleSpinBox") || className == QLatin1String("NumericField"))
      widget = new NumericField(parent);
    else if (className == QLatin1String("QSpinBox") || className == QLatin1String("IntField"))
      widget = new IntField(parent);
    else if (className == QLatin1String("PathLabel"))
      widget = new PathLabel(parent);
    else if (className == QLatin1String("SummaryLabel"))
      widget = new PathLabel(parent, Qt::ElideRight);
    else if (className == QLatin1String("QCustomPlot"))
      widget = new QCustomPlot(parent);
    else if (className == QLatin1String("TabSelector"))
      widget = NewTabSelector(parent);
    else
      return QUiLoader::createWidget(className, parent, name);
    widget->setObjectName(name);
    return widget;
  }
};

// Gives the panel's callback the close event; without one, closing only hides the window.
class CloseFilter : public QObject {
 public:
  CloseFilter(int panel, QObject* parent) : QObject(parent), panel_(panel) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Close && HasPanelCallback(panel_)) {
      event->ignore();
      DeliverPanelEvent(panel_, EVENT_CLOSE);
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  int panel_;
};

// The undo and redo keys belong to the Edit menu, whose history spans every field: a field's
// own text undo would take them first and undo only the characters typed into it.
class UndoKeysToMenu : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ShortcutOverride) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
          key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Y))
        return true;  // not accepted: the shortcut goes to the menu
    }
    return QObject::eventFilter(watched, event);
  }
};

// A right-click on a tab brings it up first, so that the tab's menu acts on the tab clicked.
class RightPressSelectsTab : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonPress) {
      auto* press = static_cast<QMouseEvent*>(event);
      auto* tabs = static_cast<QTabBar*>(watched);
      const int tab = tabs->tabAt(press->position().toPoint());
      if (press->button() == Qt::RightButton && tab >= 0) tabs->setCurrentIndex(tab);
    }
    return QObject::eventFilter(watched, event);
  }
};

ControlKind KindOf(QWidget* widget) {
  if (qobject_cast<NumericField*>(widget)) return ControlKind::NumericDouble;
  if (qobject_cast<IntField*>(widget)) return ControlKind::NumericInt;
  if (qobject_cast<QCheckBox*>(widget)) return ControlKind::Toggle;
  if (qobject_cast<QPushButton*>(widget)) return ControlKind::Command;
  if (qobject_cast<QLineEdit*>(widget)) return ControlKind::TextBox;
  if (qobject_cast<QPlainTextEdit*>(widget)) return ControlKind::TextArea;
  if (qobject_cast<QCustomPlot*>(widget)) return ControlKind::Graph;
  if (qobject_cast<QTabBar*>(widget)) return ControlKind::Tabs;
  if (qobject_cast<QLabel*>(widget)) return ControlKind::TextIndicator;
  if (widget->property("indicator").toBool()) return ControlKind::ColorIndicator;
  return ControlKind::Decoration;
}

void WireControl(int panel, ControlRecord& control) {
  QWidget* widget = control.widget;
  const int id = control.id;
  auto commit = [panel, id] { DeliverControlEvent(panel, id, EVENT_COMMIT); };
  auto fieldCommit = [panel, id](bool stepped) {
    DeliverControlEvent(panel, id, EVENT_COMMIT, stepped ? COMMIT_BY_STEP : 0);
  };
  if (control.kind == ControlKind::NumericDouble || control.kind == ControlKind::NumericInt ||
      control.kind == ControlKind::TextBox)
    widget->installEventFilter(new UndoKeysToMenu(widget));
  switch (control.kind) {
    case ControlKind::NumericDouble:
      QObject::connect(static_cast<NumericField*>(widget), &NumericField::committed, fieldCommit);
      break;
    case ControlKind::NumericInt:
      QObject::connect(static_cast<IntField*>(widget), &IntField::committed, fieldCommit);
      break;
    case ControlKind::Toggle:
    case ControlKind::Command:
      QObject::connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, commit);
      break;
    case ControlKind::TextBox: {
      auto* edit = static_cast<QLineEdit*>(widget);
      const QString refused = widget->property(kRefusedCharactersProperty).toString();
      if (!refused.isEmpty()) RefuseCharacters(edit, refused);
      QObject::connect(edit, &QLineEdit::editingFinished,
                       [panel, id, edit] { CommitTextEntry(panel, id, edit); });
      break;
    }
    case ControlKind::Graph:
      SetUpGraph(panel, control);
      break;
    case ControlKind::Tabs: {
      auto* tabs = static_cast<QTabBar*>(widget);
      QObject::connect(tabs, &QTabBar::currentChanged, commit);  // the program's own are quiet
      widget->installEventFilter(new RightPressSelectsTab(widget));
      break;
    }
    default:
      break;
  }
}

void CollectControls(int panel, PanelRecord& record) {
  for (QWidget* widget : record.window->findChildren<QWidget*>()) {
    const QVariant id = widget->property(kCtrlIdProperty);
    if (!id.isValid()) continue;
    ControlRecord control;
    control.widget = widget;
    control.id = id.toInt();
    control.kind = KindOf(widget);
    control.callback = widget->property(kCallbackProperty).toString().toStdString();
    if (auto* path = qobject_cast<PathLabel*>(widget)) {
      path->SetFullText(path->text());
      if (path->ElidesAtEnd()) path->SetExplanation(path->toolTip());  // the resource's words
    }
    if (control.kind == ControlKind::ColorIndicator)
      control.indicatorColor = ColorFromProperty(widget, "indicatorColor");
    record.controls[control.id] = control;
  }
  for (auto& [id, control] : record.controls) {
    ApplyInitialStyle(control);
    WireControl(panel, control);
  }
}

void CollectMenuBar(int panel, PanelRecord& record) {
  auto* window = qobject_cast<QMainWindow*>(record.window.data());
  if (!window || !window->menuWidget()) return;
  QMenuBar* bar = window->menuBar();
  MenuBarRecord menuBar;
  menuBar.panel = panel;
  menuBar.callback = bar->property(kCallbackProperty).toString().toStdString();
  for (QMenu* menu : bar->findChildren<QMenu*>()) {
    const QVariant id = menu->property(kMenuIdProperty);
    if (id.isValid()) menuBar.items[id.toInt()] = menu->menuAction();
    const QStringList separatorIds =
        menu->property(kSeparatorIdsProperty).toString().split(',', Qt::SkipEmptyParts);
    int next = 0;
    for (QAction* action : menu->actions()) {
      if (action->isSeparator() && next < separatorIds.size())
        menuBar.items[separatorIds[next++].trimmed().toInt()] = action;
    }
  }
  for (QAction* action : window->findChildren<QAction*>()) {
    const QVariant id = action->property(kMenuIdProperty);
    if (id.isValid()) menuBar.items[id.toInt()] = action;
    const QString extra = action->property(kExtraShortcutProperty).toString();
    if (!extra.isEmpty()) action->setShortcuts({action->shortcut(), QKeySequence(extra)});
  }
  const int handle = AddMenuBar(menuBar);
  record.menuBar = handle;
  for (const auto& [item, action] : FindMenuBar(handle)->items) {
    const int itemId = item;
    if (action->isSeparator() || action->menu()) continue;
    QObject::connect(action, &QAction::triggered,
                     [handle, itemId] { DeliverMenuEvent(handle, itemId); });
  }
}
}  // namespace

int LoadPanel(int, const char* resourceFile, int resourceId) {
  if (!RunTimeStarted()) return kErrNotStarted;
  if (!resourceFile) return kErrNoResource;
  const RegisteredResource* resource = Register(ResolveResourcePath(resourceFile));
  if (!resource) return kErrNoResource;
  const auto found = resource->panels.find(resourceId);
  if (found == resource->panels.end()) return kErrNoSuchPanel;

  QFile ui(found->second);
  if (!ui.open(QIODevice::ReadOnly)) return kErrNoResource;
  PanelLoader loader;
  QWidget* window = loader.load(&ui, nullptr);
  if (!window) return kErrNoSuchPanel;

  PanelRecord record;
  record.window = window;
  record.resourceId = resourceId;
  record.callback = window->property(kCallbackProperty).toString().toStdString();
  const int handle = AddPanel(record);
  PanelRecord& stored = AllPanels()[handle];
  CollectControls(handle, stored);
  CollectMenuBar(handle, stored);
  window->installEventFilter(new CloseFilter(handle, window));
  // The size the panel is laid out for, within the screen it opens on.
  const QSize start = window->property("startSize").toSize();
  if (start.isValid() && window->screen())
    window->resize(start.boundedTo(window->screen()->availableGeometry().size()));
  return handle;
}
