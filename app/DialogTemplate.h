// Builds a dialog's controls from its resource template: widget per window class, positions from
// dialog units, object names from resource names, tab order from template order.
#pragma once

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

// A static control with SS_NOTIFY: it reports clicks.
class ClickableLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// Creates the template's controls as children of `parent`, which gets the template's client size,
// and returns them by control ID.
std::map<int, QWidget*> BuildControls(QWidget* parent, const res::DialogTemplate& dialog,
                                      const DialogUnits& units);

}  // namespace quarrow
