// SPDX-License-Identifier: GPL-3.0-or-later
// The menu bar from its template.
#include "MainMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "Resources.h"

namespace quarrow {

MainMenu::MainMenu(QMenuBar* menuBar) {
  menuBar->setObjectName(QStringLiteral("IDR_MAINMENU"));
  for (const res::MenuPopupTemplate& popup : res::kMainMenu) {
    QMenu* menu = menuBar->addMenu(QString::fromUtf8(popup.text));
    for (const res::MenuItemTemplate& item : popup.items) {
      if (!item.text) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(QString::fromUtf8(item.text));
      action->setObjectName(QString::fromUtf8(item.name));
      action->setData(item.command);
      m_items[item.command] = action;
    }
  }
}

QAction* MainMenu::Item(int commandId) const {
  const auto it = m_items.find(commandId);
  return it == m_items.end() ? nullptr : it->second;
}

}  // namespace quarrow
