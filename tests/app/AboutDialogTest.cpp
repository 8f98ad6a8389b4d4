// SPDX-License-Identifier: GPL-3.0-or-later
// The About box's links, and the main window's donation image, through real mouse clicks.
#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "AboutDialog.h"
#include "AppTestSupport.h"
#include "QuarrowDlg.h"
#include "SimulatedWindowState.h"

namespace quarrow {
namespace {

using testing::FakeDialogServices;

const AppLinks kLinks{QStringLiteral("help@quarrow.test"), QUrl(QStringLiteral("https://www.quarrow.test/")),
                      QUrl(QStringLiteral("https://quarrow.test/give"))};

TEST(AboutDialogTest, EachLinkOpensOneAddressAndTheOtherTextsNone) {
  FakeDialogServices services;
  CAboutDialog about(kLinks, services);
  about.show();
  EXPECT_EQ(about.windowTitle(), "About");

  auto* mail = about.findChild<QLabel*>("IDC_ABOUT_MAIL");
  auto* web = about.findChild<QLabel*>("IDC_ABOUT_WEB");
  ASSERT_TRUE(mail && web);
  EXPECT_EQ(mail->text(), kLinks.supportEmail);
  EXPECT_EQ(web->text(), "www.quarrow.test");
  EXPECT_LE(mail->geometry().right(), web->x()) << "address and host name stand side by side";
  EXPECT_LE(web->geometry().right(), about.width());
  // A wrapped text shows whole in whatever font stands in for the dialog font (under Wine without
  // Windows' fonts, one with far taller lines), above the controls below it.
  const QWidget* ok = about.findChild<QPushButton*>("IDOK");
  for (const QLabel* label : about.findChildren<QLabel*>()) {
    if (!label->wordWrap()) continue;
    EXPECT_GE(label->height(), label->heightForWidth(label->width())) << label->text().toStdString();
    EXPECT_LT(label->geometry().bottom(), ok->y()) << label->text().toStdString();
  }

  struct Case {
    const char* control;
    QUrl opens;
  };
  const Case cases[] = {{"IDC_ABOUT_MAIL", QUrl(QStringLiteral("mailto:help@quarrow.test"))},
                        {"IDC_ABOUT_WEB", kLinks.webSite},
                        {"IDC_ABOUT_DONATE", kLinks.donatePage}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.control);
    services.urls.clear();
    QTest::mouseClick(about.findChild<QLabel*>(c.control), Qt::LeftButton);
    ASSERT_EQ(services.urls.size(), 1u);
    EXPECT_EQ(services.urls[0], c.opens);
    EXPECT_TRUE(about.isVisible());
  }

  services.urls.clear();
  for (QLabel* label : about.findChildren<QLabel*>()) {
    if (label->objectName().isEmpty()) QTest::mouseClick(label, Qt::LeftButton);
  }
  EXPECT_TRUE(services.urls.empty());

  QTest::mouseClick(about.findChild<QPushButton*>("IDOK"), Qt::LeftButton);
  EXPECT_FALSE(about.isVisible());
  EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST(AboutDialogTest, MainWindowDonationImageOpensTheSamePage) {
  testing::SimulatedWindowState state;
  FakeDialogServices services;
  CQuarrowDlg dlg(state.Context(services, [](int) {}, kLinks));
  dlg.show();
  auto* donate = dlg.findChild<QLabel*>("IDC_DONATE");
  ASSERT_NE(donate, nullptr);
  EXPECT_FALSE(donate->pixmap().isNull());
  QTest::mouseClick(donate, Qt::LeftButton);
  ASSERT_EQ(services.urls.size(), 1u);
  EXPECT_EQ(services.urls[0], kLinks.donatePage);
  EXPECT_EQ(dlg.StatusText(), "Open USB programmer") << "the click changes nothing else";

  // No tab stop, yet a named link that assistive technology can press.
  EXPECT_EQ(donate->focusPolicy(), Qt::NoFocus);
  QAccessibleInterface* link = QAccessible::queryAccessibleInterface(donate);
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->role(), QAccessible::Link);
  EXPECT_EQ(link->text(QAccessible::Name), "Donate");
  ASSERT_NE(link->actionInterface(), nullptr);
  link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  ASSERT_EQ(services.urls.size(), 2u);
  EXPECT_EQ(services.urls[1], kLinks.donatePage);
}

}  // namespace
}  // namespace quarrow
