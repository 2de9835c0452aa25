// Panels and menu bars: showing and hiding, the title, the dimmed state of menu items, and the
// offscreen rendering of a panel to a PNG.
#include <qcustomplot.h>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QLayout>
#include <QPixmap>

#include "platform/qt/graph_state.h"
#include "platform/qt/runtime.h"

int DisplayPanel(int panel) {
  PanelRecord* record = FindPanel(panel);
  if (!record) return kErrBadPanel;
  record->window->show();
  record->window->raise();
  record->window->activateWindow();
  return 0;
}

int HidePanel(int panel) {
  PanelRecord* record = FindPanel(panel);
  if (!record) return kErrBadPanel;
  record->window->hide();
  return 0;
}

int DiscardPanel(int panel) {
  PanelRecord* record = FindPanel(panel);
  if (!record) return kErrBadPanel;
  QWidget* window = record->window;
  RemovePanel(panel);
  window->hide();
  window->deleteLater();  // safe even when called from one of its own callbacks
  return 0;
}

int SetPanelAttribute(int panel, int attribute, const char* text) {
  PanelRecord* record = FindPanel(panel);
  if (!record) return kErrBadPanel;
  if (attribute != ATTR_TITLE) return kErrBadAttribute;
  record->window->setWindowTitle(QString::fromUtf8(text ? text : ""));
  return 0;
}

int GetPanelMenuBar(int panel) {
  const PanelRecord* record = FindPanel(panel);
  if (!record) return kErrBadPanel;
  return record->menuBar >= 0 ? record->menuBar : kErrBadPanel;
}

int SetMenuBarAttribute(int menuBar, int menuItem, int attribute, int value) {
  MenuBarRecord* record = FindMenuBar(menuBar);
  if (!record) return kErrBadPanel;
  const auto found = record->items.find(menuItem);
  if (found == record->items.end() || !found->second) return kErrBadControl;
  if (attribute != ATTR_DIMMED) return kErrBadAttribute;
  found->second->setEnabled(value == 0);
  return 0;
}

int GetMenuBarAttribute(int menuBar, int menuItem, int attribute, int* value) {
  MenuBarRecord* record = FindMenuBar(menuBar);
  if (!record) return kErrBadPanel;
  const auto found = record->items.find(menuItem);
  if (found == record->items.end() || !found->second) return kErrBadControl;
  if (attribute != ATTR_DIMMED) return kErrBadAttribute;
  *value = found->second->isEnabled() ? 0 : 1;
  return 0;
}

int SetMenuBarAttribute(int menuBar, int menuItem, int attribute, const char* text) {
  MenuBarRecord* record = FindMenuBar(menuBar);
  if (!record) return kErrBadPanel;
  const auto found = record->items.find(menuItem);
  if (found == record->items.end() || !found->second) return kErrBadControl;
  if (attribute != ATTR_ITEM_NAME) return kErrBadAttribute;
  found->second->setText(QString::fromUtf8(text ? text : ""));
  return 0;
}

int GetMenuBarAttribute(int menuBar, int menuItem, int attribute, std::string* text) {
  MenuBarRecord* record = FindMenuBar(menuBar);
  if (!record) return kErrBadPanel;
  const auto found = record->items.find(menuItem);
  if (found == record->items.end() || !found->second) return kErrBadControl;
  if (attribute != ATTR_ITEM_NAME || !text) return kErrBadAttribute;
  *text = found->second->text().toStdString();
  return 0;
}

int RenderPanelImage(int panel, int width, int height, std::string* png) {
  PanelRecord* record = FindPanel(panel);
  if (!record) return kErrBadPanel;
  if (!png || width <= 0 || height <= 0) return kErrBadValue;
  QWidget* window = record->window;
  const QSize previous = window->size();
  window->resize(width, height);
  if (window->layout()) window->layout()->activate();
  QApplication::sendPostedEvents();  // layouts and resizes before the graphs are drawn
  for (auto& [id, control] : record->controls)
    if (control.graph) ReplotNow(*control.graph);
  const QPixmap image = window->grab();
  window->resize(previous);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return kErrBadValue;
  png->assign(bytes.constData(), static_cast<size_t>(bytes.size()));
  return 0;
}
