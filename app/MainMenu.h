// SPDX-License-Identifier: GPL-3.0-or-later
// The window's menu bar, built from its template: each item named and found by its command id.
#pragma once

#include <map>

class QAction;
class QMenuBar;

namespace quarrow {

class MainMenu {
 public:
  // Fills `menuBar` with the File and Help menus.
  explicit MainMenu(QMenuBar* menuBar);

  // The item for `commandId`; null for an id the menu lacks.
  QAction* Item(int commandId) const;

 private:
  std::map<int, QAction*> m_items;
};

}  // namespace quarrow
