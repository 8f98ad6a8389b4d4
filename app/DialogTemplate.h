// SPDX-License-Identifier: GPL-3.0-or-later
// Builds a dialog's controls from its resource template: widget per window class, positions from
// dialog units, object names from resource names, tab order from template order.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QSize>

#include <map>

#include "Resources.h"

class QFont;
class QWidget;

namespace quarrow {

// Dialog units to pixels the way Windows converts them: from the average character width and the
// character height of the dialog's font (its "base units").
class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}
  int X(int units) const;
  int Y(int units) const;
  int BaseX() const { return baseX_; }
  int BaseY() const { return baseY_; }

 private:
  int baseX_;
  int baseY_;
};

// A static control with SS_NOTIFY: it reports clicks. Where it is a tab stop, Enter or Space press
// it. Assistive technology sees a link with a press action, whether or not it takes the focus.
class ClickableLabel : public QLabel {
  Q_OBJECT
 public:
  explicit ClickableLabel(const QString& text, QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};

// A drop-down list that says when it is about to drop down, so that its owner can fill it afresh.
// An entry longer than the box shows its start whether or not the box has the focus.
class DropDownList : public QComboBox {
  Q_OBJECT
 public:
  using QComboBox::QComboBox;
  void showPopup() override;

 signals:
  void aboutToDropDown();

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
};

// Creates the template's controls as children of `parent`, which gets the template's client size,
// and returns them by control ID.
std::map<int, QWidget*> BuildControls(QWidget* parent, const res::DialogTemplate& dialog,
                                      const DialogUnits& units);

}  // namespace quarrow
