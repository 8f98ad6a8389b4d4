// SPDX-License-Identifier: GPL-3.0-or-later
// Widgets from resource templates.
#include "DialogTemplate.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>
#include <cstring>

namespace quarrow {

namespace {

// Windows rounds x * base / 4 to the nearest pixel (MulDiv).
int MulDiv(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : (product - half) / denominator);
}

bool Is(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// A clickable static as assistive technology should meet it: a link, named by its text or its
// accessible name (a picture has no text), whose press action is the click.
class AccessibleClickableLabel : public QAccessibleWidget {
 public:
  explicit AccessibleClickableLabel(ClickableLabel* label) : QAccessibleWidget(label, QAccessible::Link) {
    addControllingSignal(QStringLiteral("clicked()"));
  }
  QString text(QAccessible::Text t) const override {
    QString text = QAccessibleWidget::text(t);
    if (t == QAccessible::Name && text.isEmpty()) text = static_cast<QLabel*>(widget())->text();
    return text;
  }
  QStringList actionNames() const override {
    return QStringList(pressAction()) + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& actionName) override {
    if (actionName == pressAction()) {
      emit static_cast<ClickableLabel*>(widget())->clicked();
      return;
    }
    QAccessibleWidget::doAction(actionName);
  }
};

QAccessibleInterface* ClickableLabelAccessibility(const QString& className, QObject* object) {
  auto* label = qobject_cast<ClickableLabel*>(object);
  if (!label || className != QLatin1String(ClickableLabel::staticMetaObject.className())) return nullptr;
  return new AccessibleClickableLabel(label);
}

QWidget* MakeControl(QWidget* parent, const res::ControlTemplate& c) {
  const QString text = c.text ? QString::fromUtf8(c.text) : QString();
  if (Is(c.windowClass, res::kClassButton) || Is(c.windowClass, res::kClassMfcButton)) {
    auto* button = new QPushButton(text, parent);
    button->setDefault((c.style & res::BS_DEFPUSHBUTTON) != 0);
    return button;
  }
  if (Is(c.windowClass, res::kClassComboBox)) {
    auto* combo = new DropDownList(parent);
    combo->setEditable((c.style & res::CBS_DROPDOWN) != 0);
    // Typed text selects or names a device; it never becomes a list entry of its own.
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
  }
  if (Is(c.windowClass, res::kClassEdit)) {
    auto* edit = new QLineEdit(text, parent);
    edit->setReadOnly((c.style & res::ES_READONLY) != 0);
    return edit;
  }
  if (Is(c.windowClass, res::kClassProgress)) {
    auto* progress = new QProgressBar(parent);
    progress->setTextVisible(false);
    return progress;
  }
  QLabel* label = (c.style & res::SS_NOTIFY) ? new ClickableLabel(text, parent) : new QLabel(text, parent);
  if ((c.style & res::SS_TYPEMASK) == res::SS_BITMAP) {
    label->setScaledContents(false);
  } else {
    label->setWordWrap(c.cy > 8);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  }
  if (c.style & res::SS_NOTIFY) label->setCursor(Qt::ArrowCursor);
  return label;
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
  // GdiGetCharDimensions: the rounded average width of the 52 Latin letters, and the font height.
  const QFontMetrics metrics(font);
  const int letters =
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  baseX_ = (letters / 26 + 1) / 2;
  baseY_ = metrics.height();
}

int DialogUnits::X(int units) const { return MulDiv(units, baseX_, 4); }
int DialogUnits::Y(int units) const { return MulDiv(units, baseY_, 8); }

ClickableLabel::ClickableLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  static const bool installed = [] {
    QAccessible::installFactory(ClickableLabelAccessibility);
    return true;
  }();
  (void)installed;
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

void ClickableLabel::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      emit clicked();
      return;
    default:
      QLabel::keyPressEvent(event);
  }
}

void ClickableLabel::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!hasFocus()) return;
  // A label draws no focus of its own; without this frame a keyboard user cannot tell where Tab went.
  QPainter painter(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.rect = rect();
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void DropDownList::showPopup() {
  emit aboutToDropDown();
  QComboBox::showPopup();
}

void DropDownList::focusInEvent(QFocusEvent* event) {
  QComboBox::focusInEvent(event);
  // Focus by Tab, and a dialog's first showing, select the whole entry, which puts the cursor and
  // so the view at its end. The same selection made backwards keeps its start, the serial number,
  // in view, and typing still replaces it. Where a window is activated while it is being shown
  // (Windows), the first focus comes with the activation and QDialog sends no Tab focus of its own;
  // the entry is then selected here, as the Windows dialog manager selects an edit control's text
  // when it gives the control the focus.
  QLineEdit* edit = lineEdit();
  if (!edit || edit->text().isEmpty()) return;
  if (event->reason() == Qt::ActiveWindowFocusReason && !edit->hasSelectedText()) edit->selectAll();
  if (edit->selectedText() == edit->text()) {
    edit->setSelection(static_cast<int>(edit->text().size()), -static_cast<int>(edit->text().size()));
  }
}

void DropDownList::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  // Otherwise the line stays scrolled to wherever its cursor was.
  if (lineEdit()) lineEdit()->home(false);
}

std::map<int, QWidget*> BuildControls(QWidget* parent, const res::DialogTemplate& dialog,
                                      const DialogUnits& units) {
  parent->setFixedSize(units.X(dialog.cx), units.Y(dialog.cy));
  std::map<int, QWidget*> controls;
  QWidget* previousTabStop = nullptr;
  for (const res::ControlTemplate& c : dialog.controls) {
    QWidget* widget = MakeControl(parent, c);
    if (c.name) widget->setObjectName(QString::fromUtf8(c.name));
    int height = units.Y(c.cy);
    // A drop-down's template height is its dropped list; the closed box takes its own height.
    if (Is(c.windowClass, res::kClassComboBox)) height = units.Y(14);
    int width = units.X(c.cx);
    // A one-line label drawn in a wider font than the template was laid out for keeps its last
    // characters rather than losing them at the field's edge.
    if (auto* label = qobject_cast<QLabel*>(widget); label && !label->wordWrap() && !label->text().isEmpty()) {
      width = std::max(width, label->sizeHint().width());
    }
    widget->setGeometry(units.X(c.x), units.Y(c.y), width, height);
    if (c.style & res::WS_TABSTOP) {
      widget->setFocusPolicy(Qt::StrongFocus);
      if (previousTabStop) QWidget::setTabOrder(previousTabStop, widget);
      previousTabStop = widget;
    } else if (c.style & res::SS_NOTIFY) {
      // Reached with Tab but, like a link, not focused by a click.
      widget->setFocusPolicy(Qt::TabFocus);
      if (previousTabStop) QWidget::setTabOrder(previousTabStop, widget);
      previousTabStop = widget;
    } else {
      widget->setFocusPolicy(Qt::NoFocus);
    }
    // An editable list's text field is where the focus really is; it answers to the list's name.
    QWidget* edit = qobject_cast<QComboBox*>(widget) ? static_cast<QComboBox*>(widget)->lineEdit() : nullptr;
    for (QWidget* named : {widget, edit}) {
      if (!named) continue;
      if (c.accessibleName) named->setAccessibleName(QString::fromUtf8(c.accessibleName));
      if (c.accessibleDescription) named->setAccessibleDescription(QString::fromUtf8(c.accessibleDescription));
    }
    controls[c.id] = widget;
  }
  // Labels come before or after their controls in the template; the buddies are set once all exist.
  for (const res::ControlTemplate& c : dialog.controls) {
    if (c.labelFor) static_cast<QLabel*>(controls.at(c.id))->setBuddy(controls.at(c.labelFor));
  }
  return controls;
}

}  // namespace quarrow
