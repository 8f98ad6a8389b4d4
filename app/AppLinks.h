// SPDX-License-Identifier: GPL-3.0-or-later
// The addresses the About box and the donation image open.
#pragma once

#include <QString>
#include <QUrl>

namespace quarrow {

struct AppLinks {
  QString supportEmail;
  QUrl webSite;
  QUrl donatePage;
};

// The addresses the program was built with.
AppLinks BuildTimeLinks();

}  // namespace quarrow
