// SPDX-License-Identifier: GPL-3.0-or-later
// The About box: name and version, ownership notice, donation note, and three links (support
// e-mail, web site, donation image) handed to the desktop.
#pragma once

#include <QDialog>

#include "AppLinks.h"

class QLabel;

namespace quarrow {

class IDialogServices;

class CAboutDialog : public QDialog {
  Q_OBJECT

 public:
  CAboutDialog(const AppLinks& links, IDialogServices& services, QWidget* pParent = nullptr);

  void OnStnClickedMail();
  void OnStnClickedWeb();
  void OnStnClickedDonate();

 private:
  AppLinks m_links;
  IDialogServices& m_services;
  QLabel* m_stMail = nullptr;
  QLabel* m_stWeb = nullptr;
  QLabel* m_stDonate = nullptr;
};

}  // namespace quarrow
