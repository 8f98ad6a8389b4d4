// SPDX-License-Identifier: GPL-3.0-or-later
// The addresses set when the program was configured.
#include "AppLinks.h"

namespace quarrow {

AppLinks BuildTimeLinks() {
  return {QString::fromUtf8(QUARROW_SUPPORT_EMAIL), QUrl(QString::fromUtf8(QUARROW_WEB_URL)),
          QUrl(QString::fromUtf8(QUARROW_DONATE_URL))};
}

}  // namespace quarrow
