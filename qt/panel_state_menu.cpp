#include "qt/panel_state_menu.h"

#include <QAction>
#include <QFileDialog>
#include <QMessageBox>
#include <QWidget>

#include "machine/machine.h"
#include "machine/save_state.h"
#include "qt/desktop_host.h"
#include "qt/form_widget.h"

namespace {

constexpr const char* filter = "Panel state (*.qxstate)";

void SaveState(Machine& machine, QWidget* window) {
  const QString path = QFileDialog::getSaveFileName(window, "Save panel state", "panel.qxstate", filter);
  if (path.isEmpty()) return;
  try {
    SaveStateFile(machine, path.toStdString());
  } catch (const StateError& error) {
    QMessageBox::warning(window, "Save panel state", QString::fromStdString(error.what()));
  }
}

void LoadState(Machine& machine, QWidget* window, const std::string& whyNot) {
  if (!whyNot.empty()) {
    QMessageBox::information(window, "Load panel state", QString::fromStdString(whyNot));
    return;
  }
  const QString path = QFileDialog::getOpenFileName(window, "Load panel state", {}, filter);
  if (path.isEmpty()) return;
  try {
    LoadStateFile(machine, path.toStdString());
  } catch (const StateError& error) {
    QMessageBox::warning(window, "Load panel state", QString::fromStdString(error.what()));
  }
}

}  // namespace

void AddPanelStateMenu(Machine& machine, DesktopHost& host, std::function<std::string()> whyNotLoad) {
  QWidget* window = host.WidgetOf(machine.hardware());
  if (!window) return;
  window->setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* separator = new QAction(window);
  separator->setSeparator(true);
  auto* save = new QAction("Save panel state...", window);
  QObject::connect(save, &QAction::triggered, [&machine, window] { SaveState(machine, window); });
  auto* load = new QAction("Load panel state...", window);
  QObject::connect(load, &QAction::triggered,
                   [&machine, window, whyNotLoad] { LoadState(machine, window, whyNotLoad()); });
  window->addActions({separator, save, load});
}
