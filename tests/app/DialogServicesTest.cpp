// SPDX-License-Identifier: GPL-3.0-or-later
// The real file choosers of QtDialogServices, answered through their own widgets: the filters and
// the default suffix the window asks for, and the question before an existing file is replaced.
// Qt's own dialogs stand in for the desktop's, which the offscreen platform cannot drive.
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "AppTestSupport.h"
#include "DialogServices.h"
#include "QuarrowDlg.h"
#include "Resources.h"

namespace quarrow {
namespace {

// Answers whatever modal window comes up, one step per window, as a person would. A window beyond
// the steps fails the test and is closed, so that a test never hangs in a dialog.
class Person {
 public:
  using Step = std::function<void(QWidget* modal)>;
  explicit Person(std::deque<Step> steps) : steps_(std::move(steps)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || modal == last_) return;
      last_ = modal;
      if (steps_.empty()) {
        ADD_FAILURE() << "unexpected window " << modal->metaObject()->className();
        modal->close();
        return;
      }
      Step step = std::move(steps_.front());
      steps_.pop_front();
      // A step may open a nested modal loop (the chooser's question), inside which this timer must
      // go on answering; a timer never fires again while its own handler runs.
      QTimer::singleShot(0, modal, [step = std::move(step), modal] { step(modal); });
    });
    timer_.start(10);
  }
  bool Done() const { return steps_.empty(); }

 private:
  std::deque<Step> steps_;
  QTimer timer_;
  QWidget* last_ = nullptr;
};

// What the window asked the chooser for, noted while it was open.
struct Chooser {
  QWidget* owner = nullptr;
  QStringList filters;
  QString defaultSuffix;
  QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
  QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
};

Person::Step TypeName(const QString& folder, const QString& name, Chooser* seen = nullptr) {
  return [=](QWidget* modal) {
    auto* chooser = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(chooser, nullptr) << modal->metaObject()->className();
    if (seen) {
      *seen = {chooser->parentWidget(), chooser->nameFilters(), chooser->defaultSuffix(), chooser->acceptMode(),
               chooser->fileMode()};
    }
    chooser->setDirectory(folder);
    chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
    static_cast<QDialog*>(chooser)->accept();  // the chooser's own accept, as its button calls it
  };
}

Person::Step Answer(QMessageBox::StandardButton answer, QString* text) {
  return [=](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr) << modal->metaObject()->className();
    *text = box->text();
    box->button(answer)->click();
  };
}

class QtDialogServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, true);
    ASSERT_TRUE(folder.isValid());
    QFile existing(folder.filePath(QStringLiteral("old.bin")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  }
  void TearDown() override { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, false); }

  const QStringList filters{res::kFilterMame, res::kFilterAll};
  QTemporaryDir folder;
  QtDialogServices services;
  QWidget owner;
};

TEST_F(QtDialogServicesTest, SaveOffersTheFiltersAddsBinAndAsksBeforeReplacing) {
  Chooser seen;
  {
    Person person({TypeName(folder.path(), QStringLiteral("chip"), &seen)});
    EXPECT_EQ(services.GetSaveFileName(&owner, filters, QStringLiteral("bin")), folder.filePath("chip.bin"));
    EXPECT_TRUE(person.Done());
  }
  EXPECT_EQ(seen.owner, &owner);
  EXPECT_EQ(seen.filters, QStringList({"MAME RP5H01 RPOM files (*.prm)", "All Files (*)"}));
  EXPECT_EQ(seen.defaultSuffix, "bin");
  EXPECT_EQ(seen.acceptMode, QFileDialog::AcceptSave);

  // "No" leaves the chooser open; asked again, "Yes" replaces.
  QString question;
  {
    Person person({TypeName(folder.path(), QStringLiteral("old")), Answer(QMessageBox::No, &question),
                   TypeName(folder.path(), QStringLiteral("old")), Answer(QMessageBox::Yes, &question)});
    EXPECT_EQ(services.GetSaveFileName(&owner, filters, QStringLiteral("bin")), folder.filePath("old.bin"));
    EXPECT_TRUE(person.Done());
  }
  EXPECT_TRUE(question.contains("old.bin already exists")) << question.toStdString();

  Person cancelling({[](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); }});
  EXPECT_EQ(services.GetSaveFileName(&owner, filters, QStringLiteral("bin")), std::nullopt);
}

TEST_F(QtDialogServicesTest, OpenOffersTheFiltersAndTakesOnlyAnExistingFile) {
  Chooser seen;
  QString warning;
  Person person({TypeName(folder.path(), QStringLiteral("missing.bin"), &seen),
                 Answer(QMessageBox::Ok, &warning), TypeName(folder.path(), QStringLiteral("old.bin"))});
  EXPECT_EQ(services.GetOpenFileName(&owner, filters), folder.filePath("old.bin"));
  EXPECT_TRUE(person.Done());
  EXPECT_TRUE(warning.contains("missing.bin")) << warning.toStdString();
  EXPECT_EQ(seen.filters, QStringList({"MAME RP5H01 RPOM files (*.prm)", "All Files (*)"}));
  EXPECT_EQ(seen.acceptMode, QFileDialog::AcceptOpen);
  EXPECT_EQ(seen.fileMode, QFileDialog::ExistingFile);
}

// Message boxes quote paths, table fields and library messages: plain text, never markup.
TEST_F(QtDialogServicesTest, MessageBoxShowsMarkupAsTyped) {
  Qt::TextFormat format = Qt::RichText;
  QString shown;
  Person person({[&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr) << modal->metaObject()->className();
    format = box->textFormat();
    shown = box->text();
    box->button(QMessageBox::Ok)->click();
  }});
  services.MessageBox(&owner, QStringLiteral("Can't open file - /dumps/<h1>/x.prm"),
                      QStringLiteral("Error"));
  EXPECT_TRUE(person.Done());
  EXPECT_EQ(format, Qt::PlainText);
  EXPECT_EQ(shown, "Can't open file - /dumps/<h1>/x.prm");
}

}  // namespace
}  // namespace quarrow
