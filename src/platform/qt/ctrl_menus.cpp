// Right-button menus on controls: the items a control offers and the callback told which one
// the user chose.
#include <QMenu>

#include "platform/qt/runtime.h"

int SetCtrlContextMenu(int panel, int control, const std::vector<std::string>& items,
                       CtrlMenuCallbackPtr chosen) {
  if (!RunTimeStarted()) return kErrNotStarted;
  ControlRecord* record = FindControl(panel, control);
  if (!record || !record->widget) return kErrBadControl;
  record->menuItems = items;
  record->menuChosen = chosen;
  QWidget* widget = record->widget;
  widget->setContextMenuPolicy(items.empty() ? Qt::DefaultContextMenu : Qt::CustomContextMenu);
  // One connection whatever was set before; it reads the items from the record when shown.
  QObject::disconnect(widget, &QWidget::customContextMenuRequested, nullptr, nullptr);
  if (items.empty()) return 0;
  QObject::connect(widget, &QWidget::customContextMenuRequested, widget,
                   [panel, control](const QPoint& at) {
                     ControlRecord* shown = FindControl(panel, control);
                     if (!shown || !shown->widget || shown->menuItems.empty()) return;
                     QMenu menu(shown->widget);
                     for (const std::string& item : shown->menuItems)
                       menu.addAction(QString::fromUtf8(item.c_str()));
                     QAction* picked = menu.exec(shown->widget->mapToGlobal(at));
                     if (!picked) return;
                     const int item = static_cast<int>(menu.actions().indexOf(picked));
                     ControlRecord* now = FindControl(panel, control);  // exec ran events
                     if (now && now->menuChosen) now->menuChosen(panel, control, item);
                   });
  return 0;
}
