#include "ui/framework/form.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace {
const QColor buttonFace(240, 240, 240);
}

TForm::TForm(const QString& name, const QString& caption, int clientWidth, int clientHeight)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
  setObjectName(name);
  setWindowTitle(caption);
  setFont(MakeFont("MS Sans Serif", 11));
  QPalette colours = palette();
  colours.setColor(QPalette::Window, buttonFace);
  setPalette(colours);
  setAutoFillBackground(true);
  SetClientSize(clientWidth, clientHeight);
}

void TForm::SetClientSize(int clientWidth, int clientHeight) { setFixedSize(clientWidth, clientHeight); }

void TForm::CentreOnScreen() {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  move(screen.left() + (screen.width() - Width()) / 2, screen.top() + (screen.height() - Height()) / 2);
}

void TForm::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  ContentsChanged();
}

void TForm::ContentsChanged() {
  if (!autoSize_) return;
  int right = 0;
  int bottom = 0;
  for (TControl* control : findChildren<TControl*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (!control->Visible()) continue;
    right = std::max(right, control->Left() + control->Width());
    bottom = std::max(bottom, control->Top() + control->Height());
  }
  SetClientSize(right, bottom);
}

TControl* TForm::FindControl(const QString& name) const { return findChild<TControl*>(name); }

QList<TControl*> TForm::Controls() const { return findChildren<TControl*>(); }

TImageList* TForm::FindImageList(const QString& name) const { return findChild<TImageList*>(name); }

void TForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (OnShow) OnShow(this);
}

void TForm::closeEvent(QCloseEvent* event) {
  if (OnClose) OnClose(this);
  event->accept();
}
