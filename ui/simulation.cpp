#include "ui/simulation.h"

#include "board/periodic_update.h"
#include "ui/hardwarecontrol.h"
#include "ui/maindisplay.h"

Simulation::Simulation() : stepper_(periodicUpdate) {
  front_ = std::make_unique<TfrmMainDisplay>();
  frmMainDisplay = front_.get();
  hardware_ = std::make_unique<TfrmHardwareControl>(BoardPacing::Stepped);
  frmHardwareControl = hardware_.get();
  stepper_.Start();
}

Simulation::~Simulation() {
  hardware_.reset();
  frmHardwareControl = nullptr;
  front_.reset();
  frmMainDisplay = nullptr;
}
