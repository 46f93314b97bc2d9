#include "qt/messages.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>

namespace {
QtMessageHandler passOn = nullptr;

// Qt falls back to a private runtime directory by itself; it only says so.
bool KnownNoise(const QString& message) {
  return message.startsWith(QLatin1String("QStandardPaths: ")) &&
         (message.contains(QLatin1String("XDG_RUNTIME_DIR")) || message.contains(QLatin1String("runtime directory")));
}

void Filter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtFatalMsg && KnownNoise(message)) return;
  if (passOn) return passOn(type, context, message);
  std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}
}  // namespace

void DropKnownQtNoise() {
  const QtMessageHandler previous = qInstallMessageHandler(Filter);
  if (previous != Filter) passOn = previous;
}
