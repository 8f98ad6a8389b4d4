// SPDX-License-Identifier: GPL-3.0-or-later
// The About box, built from its template.
#include "AboutDialog.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "DialogServices.h"
#include "DialogTemplate.h"
#include "Resources.h"

namespace quarrow {

CAboutDialog::CAboutDialog(const AppLinks& links, IDialogServices& services, QWidget* pParent)
    : QDialog(pParent), m_links(links), m_services(services) {
  setWindowTitle(QString::fromUtf8(res::kAboutDialog.caption));
  setObjectName(QString::fromUtf8(res::kAboutDialog.name));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  const DialogUnits units(font());
  const std::map<int, QWidget*> controls = BuildControls(this, res::kAboutDialog, units);
  setFixedSize(size());
  m_stMail = static_cast<QLabel*>(controls.at(res::IDC_ABOUT_MAIL));
  m_stWeb = static_cast<QLabel*>(controls.at(res::IDC_ABOUT_WEB));
  m_stDonate = static_cast<QLabel*>(controls.at(res::IDC_ABOUT_DONATE));
  auto* ok = static_cast<QPushButton*>(controls.at(res::IDOK));

  m_stMail->setText(m_links.supportEmail);
  m_stWeb->setText(m_links.webSite.host());
  // The configured address and host name may be wider than the template's fields: widen them
  // rather than cut them off, keeping the web site to the right of the address.
  m_stMail->resize(std::max(m_stMail->width(), m_stMail->sizeHint().width()), m_stMail->height());
  const int webX = std::max(m_stWeb->x(), m_stMail->geometry().right() + 1 + units.X(4));
  m_stWeb->setGeometry(webX, m_stWeb->y(), std::max(m_stWeb->width(), m_stWeb->sizeHint().width()),
                       m_stWeb->height());
  if (m_stWeb->geometry().right() >= width()) setFixedWidth(m_stWeb->geometry().right() + 1 + units.X(12));

  const QPixmap donate(QString::fromUtf8(res::kDonateResource));
  m_stDonate->setPixmap(donate);
  m_stDonate->resize(donate.size());

  // The template gives the note three lines of the dialog font's average height; a font whose
  // lines are taller (a stand-in for the dialog font) needs more, and the controls below move down.
  auto* note = static_cast<QLabel*>(controls.at(res::IDC_ABOUT_NOTE));
  const int extra = note->heightForWidth(note->width()) - note->height();
  if (extra > 0) {
    note->resize(note->width(), note->height() + extra);
    for (QWidget* below : {static_cast<QWidget*>(ok), static_cast<QWidget*>(m_stDonate)}) {
      below->move(below->x(), below->y() + extra);
    }
    setFixedHeight(height() + extra);
  }

  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(static_cast<ClickableLabel*>(m_stMail), &ClickableLabel::clicked, this, &CAboutDialog::OnStnClickedMail);
  connect(static_cast<ClickableLabel*>(m_stWeb), &ClickableLabel::clicked, this, &CAboutDialog::OnStnClickedWeb);
  connect(static_cast<ClickableLabel*>(m_stDonate), &ClickableLabel::clicked, this,
          &CAboutDialog::OnStnClickedDonate);
  ok->setFocus();
}

void CAboutDialog::OnStnClickedMail() {
  m_services.OpenUrl(QUrl(QStringLiteral("mailto:") + m_links.supportEmail));
}

void CAboutDialog::OnStnClickedWeb() { m_services.OpenUrl(m_links.webSite); }

void CAboutDialog::OnStnClickedDonate() { m_services.OpenUrl(m_links.donatePage); }

}  // namespace quarrow
