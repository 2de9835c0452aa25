// The run-time's own state, shared by the files of the platform layer: the registered
// callbacks, the loaded panels with their controls and menu bars, and the event delivery.
// Toolkit types appear here; nothing outside src/platform/ includes this header.
#pragma once

#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/unattended.h"

class QAction;
class QLineEdit;
struct GraphState;

// ---- error codes (every failure is negative) ----
constexpr int kErrNotStarted = -1;    // the run-time has not been started
constexpr int kErrBadPanel = -2;      // no panel or menu bar with that handle
constexpr int kErrBadControl = -3;    // no control with that id on the panel
constexpr int kErrBadAttribute = -4;  // the attribute does not apply to that control
constexpr int kErrBadValue = -5;      // a value the control cannot hold
constexpr int kErrNoResource = -6;    // the resource file is missing or unreadable
constexpr int kErrNoSuchPanel = -7;   // the resource file holds no panel with that id
constexpr int kErrBadPlot = -8;       // no plot with that handle on the graph
constexpr int kErrNoClipboard = -9;   // there is no system clipboard (no application)
constexpr int kErrWrongType = -10;    // the value type does not suit the control

enum class ControlKind {
  NumericDouble,   // NumericField
  NumericInt,      // IntField
  Toggle,          // QCheckBox
  Command,         // QPushButton
  TextBox,         // QLineEdit
  TextArea,        // QPlainTextEdit
  TextIndicator,   // QLabel
  ColorIndicator,  // QFrame showing a colour
  Graph,           // QCustomPlot
  Tabs,            // QTabBar: one tab per item, its value the current tab
  Decoration,      // anything else that carries an id (a group box)
};

struct ControlRecord {
  QPointer<QWidget> widget;  // the control
  int id = 0;                // its id in ui/pavikuir.h
  ControlKind kind = ControlKind::Decoration;
  std::string callback;                      // name of its callback, empty for none
  std::shared_ptr<GraphState> graph;         // plots and cursor, for graphs
  int indicatorColor = 0;                    // colour shown by a colour indicator
  int frameColor = 0;                        // frame colour of a graph
  std::vector<std::string> menuItems;        // its right-button menu; empty for none
  CtrlMenuCallbackPtr menuChosen = nullptr;  // called with the item chosen
};

struct PanelRecord {
  QPointer<QWidget> window;               // the panel's top-level window
  int resourceId = 0;                     // its id in the resource file
  std::string callback;                   // the panel callback's name, empty for none
  std::map<int, ControlRecord> controls;  // by control id
  int menuBar = -1;                       // handle of its menu bar, -1 for none
};

struct MenuBarRecord {
  int panel = 0;                           // handle of the panel carrying it
  std::string callback;                    // name of the menu callback
  std::map<int, QPointer<QAction>> items;  // by menu item id
};

// ---- state ----
bool RunTimeStarted();
PanelRecord* FindPanel(int panel);  // null when unknown or not started
ControlRecord* FindControl(int panel, int control);
MenuBarRecord* FindMenuBar(int menuBar);
int AddPanel(PanelRecord record);  // returns the new handle
int AddMenuBar(MenuBarRecord record);
void RemovePanel(int panel);  // forgets the panel and its menu bar
std::map<int, PanelRecord>& AllPanels();

// ---- event delivery: calls the callback named in the resource, if registered ----
int DeliverControlEvent(int panel, int control, int event, int eventData1 = 0, int eventData2 = 0);
int DeliverPanelEvent(int panel, int event);
void DeliverMenuEvent(int menuBar, int item);
bool HasPanelCallback(int panel);

// ---- a person to ask ----
// True when dialogs and message boxes can be shown: the run-time runs on a real display.
// Without one (headless, or the offscreen platform) a message goes to standard error and a
// file dialog answers "cancelled".
bool CanAskAPerson();

// ---- entries still being typed ----
// Commits what the user edited in a text box since its last commit.
void CommitTextEntry(int panel, int control, QLineEdit* edit);
// Finishes every entry still being typed, as leaving its field does, so that the event about to
// be delivered acts on it; the control that gets that event is left alone.
void FinishPendingEntries(int exceptPanel, int exceptControl);
