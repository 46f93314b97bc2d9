#include "qt/user_settings.h"

#include <QSettings>

#include "qt/command_line.h"
#include "windows/maindisplay.h"
#include "windows/placement.h"

namespace {
const QString corvella = QStringLiteral("corvella");
const QString marvane = QStringLiteral("marvane");
const QString scaleKey = QStringLiteral("windows/scale");

QString Key(const TForm& form, const char* field) {
  return QStringLiteral("windows/%1/%2").arg(QString::fromStdString(form.Name()), QLatin1String(field));
}

void RestorePosition(const QSettings& settings, TForm& form) {
  bool leftRead = false, topRead = false;
  const int left = settings.value(Key(form, "left")).toInt(&leftRead);
  const int top = settings.value(Key(form, "top")).toInt(&topRead);
  if (!leftRead || !topRead) return;
  WindowBox frame = FrameOf(form);
  frame.left = left;
  frame.top = top;
  if (FullyInside(frame, form.Host().Screen())) form.Move(left, top);
}

void RememberPosition(QSettings& settings, const TForm& form) {
  settings.setValue(Key(form, "left"), form.Left());
  settings.setValue(Key(form, "top"), form.Top());
}
}  // namespace

double WindowScale(QSettings& settings, double asked, const TForm& front, const TForm& hardware) {
  if (asked > 0) {
    settings.setValue(scaleKey, asked);
    return asked;
  }
  bool read = false;
  const double remembered = settings.value(scaleKey).toDouble(&read);
  if (read && remembered >= minimumScale && remembered <= maximumScale) return remembered;
  const auto client = [](const TForm& form) { return WindowBox{0, 0, form.ClientWidth(), form.ClientHeight()}; };
  const WindowHost& host = front.Host();
  return FittingScale(host.Screen(), client(front), client(hardware), host.WindowFrame(), maximumScale);
}

void RestoreWindows(QSettings& settings, TfrmMainDisplay& front, TForm& hardware) {
  RestorePosition(settings, front);
  RestorePosition(settings, hardware);
  const QString fascia = settings.value(QStringLiteral("windows/fascia")).toString();
  TfrmMainDisplay::View view = front.ShownView();
  if (fascia == corvella || fascia == marvane) view.corvella = fascia == corvella;
  view.coverOff = settings.value(QStringLiteral("windows/coverOff")).toBool();
  front.ShowView(view);
}

void RememberWindows(QSettings& settings, const TfrmMainDisplay& front, const TForm& hardware) {
  RememberPosition(settings, front);
  RememberPosition(settings, hardware);
  const TfrmMainDisplay::View view = front.ShownView();
  settings.setValue(QStringLiteral("windows/fascia"), view.corvella ? corvella : marvane);
  settings.setValue(QStringLiteral("windows/coverOff"), view.coverOff);
}
